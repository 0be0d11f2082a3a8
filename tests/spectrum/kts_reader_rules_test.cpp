#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formats/kts_reader.h"

namespace korva {
namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// `count` data lines holding 1, 2, 3, ...
std::vector<std::string> DataBlock(int count) {
  std::vector<std::string> lines = {"  <data>"};
  for (int i = 1; i <= count; ++i) lines.push_back(std::to_string(i));
  return lines;
}

CSpectrum Read(const std::string& text) {
  CSpectrum spectrum;
  ReadSpectrumText(spectrum, text, "t.kts");
  return spectrum;
}

TEST(KtsReaderRulesTest, DataBlockStoresHardSizeChannelsAndReadsPastTheRest) {
  // 600 lines for a hard size of 512, then the block's end.
  std::vector<std::string> lines = {"<spectrum>", "<hardsize>512</hardsize>", "<offset>0</offset>"};
  for (const std::string& line : DataBlock(600)) lines.push_back(line);
  lines.insert(lines.end(), {"  </data>", "<tag>after</tag>", "</spectrum>"});
  CSpectrum spectrum = Read(Lines(lines));
  EXPECT_EQ(spectrum.image.spectrum[511], 512u);
  EXPECT_EQ(spectrum.image.spectrum[512], 0u);
  EXPECT_EQ(spectrum.tag, "after");

  // Without "</data>" the block ends after 4097 lines: a tag on line 4097
  // of the block is a count, one on line 4098 is read.
  lines = {"<spectrum>", "<offset>0</offset>"};
  for (const std::string& line : DataBlock(4096)) lines.push_back(line);
  lines.insert(lines.end(), {"<tag>inside</tag>", "<tag>outside</tag>", "</spectrum>"});
  spectrum = Read(Lines(lines));
  EXPECT_EQ(spectrum.image.spectrum[4095], 4096u);
  EXPECT_EQ(spectrum.tag, "outside");
}

TEST(KtsReaderRulesTest, SizesAreClamped) {
  struct Case {
    const char* lines;
    std::int32_t hard;
    std::int32_t soft;
  };
  for (const Case& c : {
           Case{"<softsize>100</softsize>", 4096, 512},
           Case{"<hardsize>2048</hardsize>\n<softsize>4096</softsize>", 2048, 2048},
           Case{"<softsize>4096</softsize>\n<hardsize>1024</hardsize>", 1024, 1024},
           Case{"<hardsize>9000</hardsize>", 4096, 512},
           Case{"<hardsize>-5</hardsize>\n<softsize>x</softsize>", 512, 512},
           Case{"<softsize>1365</softsize>", 4096, 1365},
           Case{"<HARDSIZE>2048</HARDSIZE>\n<softsize>2048</softsize>", 4096, 2048},
       }) {
    SCOPED_TRACE(c.lines);
    const CSpectrum spectrum = Read(std::string("<spectrum>\n") + c.lines + "\n</spectrum>\n");
    EXPECT_EQ(spectrum.hardSize, c.hard);
    EXPECT_EQ(spectrum.softSize, c.soft);
    EXPECT_EQ(spectrum.CompressionFactor(), static_cast<std::uint32_t>(c.hard / c.soft));
  }
}

TEST(KtsReaderRulesTest, OnlyADataBlockAfterAnOffsetCounts) {
  const CSpectrum spectrum = Read(Lines({"<spectrum>", "<data>", "5", "</data>", "<offset>0</offset>",
                                         "<data>", "6", "</data>", "</spectrum>"}));
  EXPECT_EQ(spectrum.image.spectrum[0], 6u);
  EXPECT_EQ(spectrum.image.spectrum[1], 0u);
}

// Offsets other than 0 and 4096 never take a block past word 8191.
TEST(KtsReaderRulesTest, OffsetIsHeldWithinTheTwoHalves) {
  struct Case {
    const char* offset;
    const char* hard;
    std::size_t firstWord;
  };
  for (const Case& c : {
           Case{"4096", "4096", 4096},
           Case{"100", "4096", 100},
           Case{"5000", "4096", 4096},
           Case{"-7", "4096", 0},
           Case{"99999999999", "512", 7680},
           Case{"4096x", "4096", 4096},
       }) {
    SCOPED_TRACE(c.offset);
    CSpectrum spectrum;
    spectrum.image.spectrum[8192] = 1;
    std::vector<std::string> lines = {"<spectrum>", std::string("<hardsize>") + c.hard + "</hardsize>",
                                      std::string("<offset>") + c.offset + "</offset>"};
    for (const std::string& line : DataBlock(4200)) lines.push_back(line);
    ReadSpectrumText(spectrum, Lines(lines), "t.kts");
    EXPECT_EQ(spectrum.image.spectrum[c.firstWord], 1u);
    EXPECT_EQ(spectrum.image.spectrum[c.firstWord + static_cast<std::size_t>(spectrum.hardSize) - 1],
              static_cast<std::uint32_t>(spectrum.hardSize));
    EXPECT_EQ(spectrum.image.spectrum[8192], 1u);
  }
}

// Only the opening line of a section is matched in any case; its closing
// line and the elements inside are matched as written.
TEST(KtsReaderRulesTest, SectionNamesIgnoreCaseInnerNamesDoNot) {
  const CSpectrum spectrum = Read(Lines({"<SPECTRUM>",
                                         "<Tag>upper</Tag>",
                                         "<tag>lower</tag>",
                                         "</spectrum>",
                                         "<Registers>",
                                         "<size>2</size>",
                                         "<DATA>",
                                         "7",
                                         "8",
                                         "</DATA>",
                                         "</registers>",
                                         "<VOLATILE>",
                                         "<INTEMP>9</INTEMP>",
                                         "<intemp>12</intemp>",
                                         "</volatile>",
                                         "<SerialNumber>00099</SerialNumber>",
                                         "<registers>",
                                         "<size>1</size>",
                                         "<data>",
                                         "3",
                                         "</data>",
                                         "</REGISTERS>",
                                         "<serialnumber>5</serialnumber>"}));
  EXPECT_EQ(spectrum.tag, "lower");
  EXPECT_EQ(spectrum.image.temperature, 12);
  EXPECT_EQ(spectrum.image.registers[0], 3);  // "<DATA>" is not "<data>"
  EXPECT_EQ(spectrum.image.registers[1], 0);
  EXPECT_EQ(spectrum.image.serialNumber, 0);  // upper-case tags, then inside the open registers
}

TEST(KtsReaderRulesTest, LinesAsTheFileHoldsThem) {
  // Carriage returns before line feeds, blanks anywhere, an empty line in a
  // data block, a leading "+" as the ROI mark.
  const CSpectrum spectrum = Read(
      "<spectrum>\r\n< offset >0</ offset >\r\n  <data>\r\n 1 2 \r\n\r\n+ 3\r\n</ data >\r\n</spectrum>\r\n"
      "<registers>\r\n<size>1</size>\r\n<data>\r\n70000\r\n</data>\r\n</registers>\r\n");
  EXPECT_EQ(spectrum.image.spectrum[0], 12u);
  EXPECT_EQ(spectrum.image.spectrum[1], 0u);
  EXPECT_EQ(spectrum.image.spectrum[2], 3u);
  EXPECT_EQ(spectrum.roiMarks[2], 1);
  EXPECT_EQ(spectrum.roiMarks[0], 0);
  EXPECT_EQ(spectrum.image.registers[0], 70000 & 0xFFFF);

  // A line of the longest length is whole; a longer one is cut there and
  // its tag lost.
  const std::string longestTag(kKtsLineLength - 11, 'a');
  const std::string fits = "<tag>" + longestTag + "</tag>";
  ASSERT_EQ(fits.size(), kKtsLineLength);
  EXPECT_EQ(Read("<spectrum>\n" + fits + "\n</spectrum>\n").tag, longestTag);
  EXPECT_EQ(Read("<spectrum>\n<tag>" + longestTag + "a</tag>\n</spectrum>\n").tag, "t.kts");
}

TEST(KtsReaderRulesTest, OnlyTheFirst50000LinesAreRead) {
  const std::string filler(kKtsMaxLines - 1, '\n');
  EXPECT_EQ(Read(filler + "<serialnumber>7</serialnumber>\n").image.serialNumber, 7);
  EXPECT_EQ(Read(filler + "\n<serialnumber>7</serialnumber>\n").image.serialNumber, 0);

  // Without line feeds the text is still taken one longest line at a time,
  // never searched to its end for each line.
  const std::string unbroken = "<serialnumber>9</serialnumber>" + std::string(kKtsMaxLines * 300, 'x');
  EXPECT_EQ(Read(unbroken).image.serialNumber, 9);
}

TEST(KtsReaderRulesTest, TagKeepsBareAmpersandsAndBuildsTheCaption) {
  const CSpectrum spectrum =
      Read(Lines({"<spectrum>", "  <tag> R&D &amp; &lt;x&gt; &quot; </tag>", "</spectrum>"}));
  EXPECT_EQ(spectrum.tag, " R&D & <x> &quot; ");
  EXPECT_EQ(spectrum.caption, "FILE: t.kts  ( R&D & <x> &quot; )");
}

TEST(KtsReaderRulesTest, RegisterCountIsClamped) {
  std::vector<std::string> lines = {"<registers>", "<size>300</size>"};
  for (const std::string& line : DataBlock(140)) lines.push_back(line);
  lines.insert(lines.end(), {"</data>", "</registers>"});
  CSpectrum spectrum = Read(Lines(lines));
  EXPECT_EQ(spectrum.image.registers[127], 128);

  spectrum.image.registers[3] = 33;
  ReadSpectrumText(
      spectrum, Lines({"<registers>", "<size>-3</size>", "<data>", "9", "</data>", "</registers>"}), "t.kts");
  EXPECT_EQ(spectrum.image.registers[0], 1);  // as the load before left it
  EXPECT_EQ(spectrum.image.registers[3], 33);
}

// The calibration goes to the set-1 record of the input the file's own
// registers select; a record holds at most ten points.
TEST(KtsReaderRulesTest, CalibrationFollowsTheLoadedInput) {
  std::vector<std::string> lines = {"<registers>", "<size>128</size>", "<data>"};
  for (int i = 0; i < 128; ++i) lines.push_back(i == 18 ? "49152" : "0");  // input E, PHA bit too
  lines.insert(lines.end(), {"</data>", "</registers>", "<calibration>", "<enabled>yes</enabled>",
                             "<units>4</units>", "<useall>NO</useall>", "<useB>1</useB>"});
  for (int i = 0; i < 12; ++i) lines.push_back("<channelA>" + std::to_string(i) + ".5</channelA>");
  lines.push_back("</calibration>");
  CSpectrum spectrum;
  spectrum.FileCalibration(8).enabled = 1;
  spectrum.FileCalibration(8).use[1] = 5;
  ReadSpectrumText(spectrum, Lines(lines), "t.kts");
  const CalibrationRecord& record = spectrum.FileCalibration(8);
  EXPECT_EQ(record.enabled, 0);  // only "YES" switches it on
  EXPECT_EQ(record.units, 4);
  EXPECT_EQ(record.useAll, 1);
  EXPECT_EQ(record.use[1], 1);
  EXPECT_EQ(record.pointCount, 10);
  EXPECT_DOUBLE_EQ(record.channel[0], 11.5);
  EXPECT_TRUE(spectrum.image.lowerHalfSelected);
}

TEST(KtsReaderRulesTest, ALoadStartsFromAResetRecord) {
  CSpectrum spectrum;
  spectrum.image.spectrum[7000] = 5;
  spectrum.roiMarks[9] = 1;
  spectrum.softSize = 2048;
  spectrum.FileCalibration(3).pointCount = 4;
  spectrum.FileCalibration(3).useAll = 0;
  spectrum.FileCalibration(3).enabled = 1;
  spectrum.image.registers[50] = 5050;
  ReadSpectrumText(spectrum, "<volatile>\n<firmware>1.15</firmware>\n<slowadc>nan</slowadc>\n</volatile>\n",
                   "plain.kts");
  EXPECT_EQ(spectrum.image.spectrum[7000], 0u);
  EXPECT_EQ(spectrum.roiMarks[9], 0);
  EXPECT_EQ(spectrum.tag, "plain.kts");
  EXPECT_EQ(spectrum.caption, "plain.kts");
  EXPECT_EQ(spectrum.softSize, 2048);  // no spectrum section: the soft size stays
  EXPECT_EQ(spectrum.FileCalibration(3).pointCount, 0);
  EXPECT_EQ(spectrum.FileCalibration(3).useAll, 1);
  EXPECT_EQ(spectrum.FileCalibration(3).enabled, 1);
  EXPECT_EQ(spectrum.image.registers[50], 5050);
  EXPECT_EQ(spectrum.image.firmwareVersion, 115);  // 1.15 × 100 is just below 115 in binary
  EXPECT_TRUE(std::isnan(spectrum.image.slowAdc));
}

}  // namespace
}  // namespace korva
