#include "devicelink/wire_frame.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace korva::wire {
namespace {

std::uint8_t ByteSum(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

// A well-formed read reply to `request` carrying `data`, as the instrument sends it.
Frame ReadReplyFor(const Frame& request, std::span<const std::uint8_t> data) {
  Frame reply(kReadReplyOverhead + data.size(), 0);
  reply[0] = request[0];
  WriteU16(reply, 2, static_cast<std::uint16_t>(reply.size()));
  std::copy(request.begin() + 4, request.begin() + 8, reply.begin() + 4);
  std::copy(data.begin(), data.end(), reply.begin() + kReadDataOffset);
  reply.back() = Checksum(std::span<const std::uint8_t>(reply).first(reply.size() - 1));
  return reply;
}

Frame WriteReplyFor(const Frame& request) {
  Frame reply(kWriteReplyLength, 0);
  reply[0] = request[0];
  WriteU16(reply, 2, kWriteReplyLength);
  std::copy(request.begin() + 4, request.begin() + 8, reply.begin() + 4);
  reply.back() = Checksum(std::span<const std::uint8_t>(reply).first(8));
  return reply;
}

TEST(WireFrame, ReadAllRegistersMatchesTheWorkedChecksumExample) {
  const Frame frame = RequestAllRegistersFrame();
  const Frame expected = {0x64, 0x00, 0x0B, 0x00, 0x01, 0x80, 0x40, 0x00, 0xFE, 0x00, 0xD7};
  EXPECT_EQ(frame, expected);
  EXPECT_EQ(ByteSum(frame), 5);
}

TEST(WireFrame, ChecksumIsZeroWhenTheBodyAlreadySumsToFive) {
  const std::array<std::uint8_t, 3> body = {0x02, 0xFF, 0x04};  // 0x105
  EXPECT_EQ(Checksum(body), 0);
}

TEST(WireFrame, ConcreteRequestsCarryTheirAddressesAndLengths) {
  std::array<std::uint16_t, kRegisterCount> registers{};
  std::iota(registers.begin(), registers.end(), std::uint16_t{0x100});

  struct Case {
    Frame frame;
    std::uint8_t command;
    std::size_t length;
    std::uint32_t address;
    std::size_t replyLength;
  };
  const std::array<Case, 6> cases = {{
      {RequestAllRegistersFrame(), kReadCommand, 11, 0x408001, 279},
      {RequestSpectrumChunkFrame(2050), kReadCommand, 11, 0x400000 + 4100, 8225},
      {RequestSpectrumChunkFrame(14350), kReadCommand, 11, 0x400000 + 28700, 8161},
      {RequestTraceFrame(), kReadCommand, 11, 0x8000, 1049},
      {SendSettingsRegistersFrame(registers), kWriteCommand, 241, 0xC0800C, 9},
      {SendAllRegistersFrame(registers), kWriteCommand, 265, 0xC08000, 9},
  }};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    ASSERT_EQ(c.frame.size(), c.length);
    EXPECT_EQ(c.frame[0], c.command);
    EXPECT_EQ(c.frame[1], 0);
    EXPECT_EQ(ReadU16(c.frame, 2), c.length);
    EXPECT_EQ(ReadU32(c.frame, 4), c.address);
    EXPECT_EQ(ByteSum(c.frame), 5);
    if (c.command == kReadCommand) {
      EXPECT_EQ(ExpectedReadReplyLength(ReadU16(c.frame, 8)), c.replyLength);
    }
  }
}

TEST(WireFrame, WriteFramesCarryTheRegisterBlockLittleEndian) {
  std::array<std::uint16_t, kRegisterCount> registers{};
  registers[12] = 0xBEEF;
  registers[127] = 0x1234;
  registers[11] = 0xFFFF;  // outside the settings block
  const Frame settings = SendSettingsRegistersFrame(registers);
  EXPECT_EQ(ReadU16(settings, 8), 0xBEEF);
  EXPECT_EQ(ReadU16(settings, 8 + 2 * 115), 0x1234);
  const Frame all = SendAllRegistersFrame(registers);
  EXPECT_EQ(ReadU16(all, 8 + 2 * 11), 0xFFFF);
}

TEST(WireFrame, LastSpectrumChunkIsShortened) {
  EXPECT_EQ(SpectrumChunkEntries(14350), 2034u);
  EXPECT_EQ(SpectrumChunkEntries(0), 2050u);
  EXPECT_EQ(SpectrumChunkEntries(16384), 0u);
}

TEST(ReplyCheck, GoodRepliesPass) {
  const Frame read = RequestRegistersFrame(80, 2);
  const std::array<std::uint8_t, 4> data = {1, 2, 3, 4};
  EXPECT_TRUE(CheckReply(read, 29, ReadReplyFor(read, data)).Valid());
  const Frame write = SendAllRegistersFrame(std::array<std::uint16_t, kRegisterCount>{});
  EXPECT_TRUE(CheckReply(write, 9, WriteReplyFor(write)).Valid());
}

// Each fault fails its own test and only that one, so the engine can count
// them; every test is evaluated even when an earlier one failed.
TEST(ReplyCheck, EachFaultFailsItsOwnTest) {
  const Frame read = RequestRegistersFrame(1, 2);
  const std::array<std::uint8_t, 4> data = {9, 8, 7, 6};
  const Frame good = ReadReplyFor(read, data);
  auto resealed = [](Frame reply) {
    reply.back() = Checksum(std::span<const std::uint8_t>(reply).first(reply.size() - 1));
    return reply;
  };

  Frame badChecksum = good;
  badChecksum.back() ^= 0x01;
  ReplyCheck check = CheckReply(read, good.size(), badChecksum);
  EXPECT_FALSE(check.checksumOk);
  EXPECT_TRUE(check.countOk && check.commandOk && check.lengthFieldOk && check.addressOk);

  Frame upperAddress = good;
  upperAddress[6] ^= 0x01;  // differs only in the upper 16 bits
  check = CheckReply(read, good.size(), resealed(upperAddress));
  EXPECT_FALSE(check.addressOk);
  EXPECT_TRUE(check.checksumOk && check.commandOk);

  Frame wrongCommand = good;
  wrongCommand[0] = kWriteCommand;
  check = CheckReply(read, good.size(), resealed(wrongCommand));
  EXPECT_FALSE(check.commandOk);
  EXPECT_TRUE(check.lengthFieldOk && check.addressOk && check.checksumOk);

  Frame wrongLengthField = good;
  WriteU16(wrongLengthField, 2, 28);
  check = CheckReply(read, good.size(), resealed(wrongLengthField));
  EXPECT_FALSE(check.lengthFieldOk);
  EXPECT_TRUE(check.countOk && check.checksumOk);

  const Frame shortReply(good.begin(), good.end() - 1);
  check = CheckReply(read, good.size(), shortReply);
  EXPECT_FALSE(check.countOk);
  EXPECT_FALSE(check.Valid());
}

TEST(ReplyCheck, WriteAcknowledgeWithWrongCommandIsInvalid) {
  const Frame write = SendSettingsRegistersFrame(std::array<std::uint16_t, kRegisterCount>{});
  Frame reply = WriteReplyFor(write);
  reply[0] = kReadCommand;
  reply.back() = Checksum(std::span<const std::uint8_t>(reply).first(8));
  const ReplyCheck check = CheckReply(write, 9, reply);
  EXPECT_TRUE(check.lengthFieldOk);
  EXPECT_FALSE(check.commandOk);
  EXPECT_FALSE(check.Valid());
}

TEST(ReplyCheck, ClearedHeaderNeverPassesAgain) {
  const Frame write = SendSettingsRegistersFrame(std::array<std::uint16_t, kRegisterCount>{});
  Frame buffer = WriteReplyFor(write);
  ASSERT_TRUE(CheckReply(write, 9, buffer).Valid());
  ClearReplyHeader(buffer);
  EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + 8, 0), 8);
  EXPECT_FALSE(CheckReply(write, 9, buffer).Valid());
}

TEST(StatusBlock, RoundTripsSignedWords) {
  StatusBlock status;
  status.firmwareVersion = -123;
  status.serialNumber = 65535;
  status.auxSelector = 0x1007;
  status.auxValue = 4242;
  status.slowAdc = 3300;
  status.temperature = -12;
  Frame reply(kReadReplyOverhead, 0);
  WriteStatusBlock(reply, status);
  const StatusBlock back = ReadStatusBlock(reply);
  EXPECT_EQ(back.firmwareVersion, -123);
  EXPECT_EQ(back.serialNumber, 65535);
  EXPECT_TRUE(back.CarriesAuxSlot());
  EXPECT_EQ(back.AuxSlot(), 7u);
  EXPECT_EQ(back.temperature, -12);
}

}  // namespace
}  // namespace korva::wire
