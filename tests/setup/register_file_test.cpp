#include "setup/register_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

RegisterTable Filled(std::uint16_t value) {
  RegisterTable table;
  table.fill(value);
  return table;
}

RegisterTable Counting(std::uint16_t start) {
  RegisterTable table;
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint16_t>(start + i * 509);
  return table;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

using test::FileSizeLimit;
using test::ReadFile;
using test::WriteFile;
using TemporaryFolder = test::ScratchFolder;

TEST(RegisterFileTest, TextHasTheTagsAndOneUnsignedValuePerLine) {
  RegisterTable table = Counting(0);
  table[0] = 65535;
  const std::string text = RegisterFileText(table);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 133u);
  EXPECT_EQ(lines[0], "<registers>");
  EXPECT_EQ(lines[1], "  <size>128</size>");
  EXPECT_EQ(lines[2], "  <data>");
  EXPECT_EQ(lines[3], "65535");
  EXPECT_EQ(lines[4], "509");
  EXPECT_EQ(lines[130], std::to_string(table[127]));
  EXPECT_EQ(lines[131], "  </data>");
  EXPECT_EQ(lines[132], "</registers>");
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_TRUE(text.ends_with("</registers>\n"));
}

TEST(RegisterFileTest, SavedFileReloadsIntoADifferentTableCompletely) {
  TemporaryFolder folder;
  const RegisterTable saved = Counting(7);
  ASSERT_EQ(SaveRegisterFile(folder / "set.rgv", saved), RegisterFileStatus::kDone);

  RegisterTable loaded = Filled(1);
  ASSERT_EQ(LoadRegisterFile(folder / "set.rgv", loaded), RegisterFileStatus::kDone);
  EXPECT_EQ(loaded, saved);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
      << "no temporary file is left beside the saved one";
}

// Each case applies a file text over a table of 1s.
struct ReaderCase {
  const char* name;
  std::string text;
  std::vector<std::pair<std::size_t, std::uint16_t>> expected;  // entries that must change
};

class RegisterFileReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(RegisterFileReaderTest, SetsExactlyTheGivenEntries) {
  const ReaderCase& c = GetParam();
  RegisterTable table = Filled(1);
  ApplyRegisterFileText(c.text, table);
  RegisterTable expected = Filled(1);
  for (const auto& [index, value] : c.expected) expected[index] = value;
  EXPECT_EQ(table, expected);
}

const std::string kBlock46 = Lines({"<registers>", "  <size>4</size>", "  <data>", "10", "11", "12", "13",
                                    "14", "15", "  </data>", "</registers>"});

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterFileReaderTest,
    ::testing::Values(
        ReaderCase{"SizeFourWithSixValuesSetsFour", kBlock46, {{0, 10}, {1, 11}, {2, 12}, {3, 13}}},
        ReaderCase{"CapitalisedOpeningTag",
                   Lines({"<REGISTERS>", "<data>", "5", "</data>", "</registers>"}),
                   {{0, 5}}},
        ReaderCase{"SpacesInsideNumbersAndTagsAreRemoved",
                   Lines({"  < Registers >", "   <size> 3 </size>", "  < data >", "  1 2 3", "\t42",
                          "4 0 0 0 0", " </data>", "</registers>"}),
                   {{0, 123}, {1, 42}, {2, 40000}}},
        ReaderCase{"ValuesKeepTheirLowSixteenBits",
                   Lines({"<registers>", "<data>", "-1", "70000", "abc", "+7x",
                          "123456789012345678901234567890", "</data>", "</registers>"}),
                   {{0, 65535}, {1, 70000 & 0xFFFF}, {2, 0}, {3, 7}, {4, 0x0AD2}}},
        ReaderCase{"SizeIsLimitedToTheTable",
                   Lines({"<registers>", "<size>-3</size>", "<data>", "9", "</data>", "</registers>"}),
                   {}},
        ReaderCase{"LastBlockWins",
                   kBlock46 + Lines({"<registers>", "<size>2</size>", "<data>", "20", "21", "</data>",
                                     "</registers>"}),
                   {{0, 20}, {1, 21}, {2, 12}, {3, 13}}},
        ReaderCase{"CrLfLineEndsReadEveryBlock",
                   Lines({"<registers>", "<size>2</size>", "<data>", "3", "4", "</data>", "</registers>",
                          "<registers>", "<size>1</size>", "<data>", "8", "</data>", "</registers>"},
                         "\r\n"),
                   {{0, 8}, {1, 4}}},
        ReaderCase{"ClosingTagMustBeLowerCase",
                   Lines({"<registers>", "<size>1</size>", "<data>", "3", "</data>", "</REGISTERS>", "<data>",
                          "9", "</data>"}),
                   {{0, 9}}},
        ReaderCase{"DataOutsideABlockIsIgnored",
                   Lines({"<registers>", "<size>1</size>", "<data>", "3", "</data>", "</registers>", "<data>",
                          "9", "</data>"}),
                   {{0, 3}}},
        ReaderCase{"BlockWithoutDataEndDoesNotSwallowTheNext",
                   Lines({"<registers>", "<size>1</size>", "<data>", "3", "</registers>", "<registers>",
                          "<size>2</size>", "<data>", "6", "7", "</data>", "</registers>"}),
                   {{0, 6}, {1, 7}}},
        ReaderCase{
            "SpectrumFileWithARegistersBlock",
            Lines({"<spectrum>", "<tag>Cs-137 </tag>", "<counts>", "17", "</counts>", "<Registers>",
                   "<size>128</size>", "<data>", "300", "301", "</data>", "</registers>", "</spectrum>"}),
            {{0, 300}, {1, 301}}},
        ReaderCase{"ValuesStopAtTheEndOfTheFile", "<registers>\n<data>\n5\n6", {{0, 5}, {1, 6}}},
        ReaderCase{"LongLinesAreReadInPiecesOf255",
                   Lines({"<registers>", "<data>", std::string(255, 'x') + "77", "</data>", "</registers>"}),
                   {{0, 0}, {1, 77}}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(RegisterFileTest, OnlyTheFirst50000LinesAreConsidered) {
  const std::string block = Lines({"<registers>", "<data>", "5", "</data>", "</registers>"});
  RegisterTable table = Filled(1);
  ApplyRegisterFileText(std::string(kRegisterFileMaxLines - 3, '\n') + block, table);
  EXPECT_EQ(table[0], 5);
  table = Filled(1);
  ApplyRegisterFileText(std::string(kRegisterFileMaxLines - 2, '\n') + block, table);
  EXPECT_EQ(table[0], 1);
}

TEST(RegisterFileTest, UnreadableFilesLeaveTheTableAlone) {
  TemporaryFolder folder;
  RegisterTable table = Counting(3);
  const RegisterTable before = table;
  EXPECT_EQ(LoadRegisterFile(folder / "missing.rgv", table), RegisterFileStatus::kUnableToOpen);
  EXPECT_EQ(LoadRegisterFile(folder.Path(), table), RegisterFileStatus::kUnableToOpen);
  EXPECT_EQ(table, before);
  EXPECT_EQ(RegisterFileMessage(RegisterFileStatus::kUnableToOpen), "Unable to Open File");
}

TEST(RegisterFileTest, SaveThatCannotCreateTheFileSaysUnableToOpen) {
  TemporaryFolder folder;
  EXPECT_EQ(SaveRegisterFile(folder / "no-such-folder/set.rgv", Filled(2)),
            RegisterFileStatus::kUnableToOpen);
  fs::create_directory(folder / "taken.rgv");
  EXPECT_EQ(SaveRegisterFile(folder / "taken.rgv", Filled(2)), RegisterFileStatus::kUnableToOpen);
}

TEST(RegisterFileTest, FailedWriteKeepsTheEarlierFileAndSaysSo) {
  TemporaryFolder folder;
  const fs::path target = folder / "set.rgv";
  WriteFile(target, "earlier\n");
  {
    FileSizeLimit limit(100);
    const RegisterFileStatus status = SaveRegisterFile(target, Filled(65535));
    EXPECT_EQ(status, RegisterFileStatus::kWriteFailed);
    EXPECT_FALSE(RegisterFileMessage(status).empty());
    EXPECT_NE(RegisterFileMessage(status), "Unable to Open File");
  }
  EXPECT_EQ(ReadFile(target), "earlier\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(RegisterFileTest, SaveNameGetsTheExtensionOnlyWhenItHasNone) {
  EXPECT_EQ(RegisterFileNameFor("/d/set"), fs::path("/d/set.rgv"));
  EXPECT_EQ(RegisterFileNameFor("/d/set.txt"), fs::path("/d/set.txt"));
  EXPECT_EQ(RegisterFileNameFor("/d.v2/set"), fs::path("/d.v2/set.rgv"));
}

}  // namespace
}  // namespace korva
