// The FPGA transfer against the virtual instrument in memory and against a
// port double that answers as told.

#include "fpga/fpga_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "fpga_test_support.h"
#include "sim/virtual_instrument.h"

namespace korva {
namespace {

using test::DesignBytes;
using test::KbfFile;
using test::Reversed;

const std::string kStars38(38, '*');
const std::string kStars52(52, '*');
const std::string kTildes(30, '~');

// Records what the owner of a transfer hears.
class RecordingObserver : public FpgaTransferObserver {
 public:
  std::vector<FpgaOutcome> outcomes;
  std::vector<bool> busy;
  std::vector<FpgaProgress> progress;
  std::function<void(FpgaOperation, FpgaOutcome)> then;

  void OnProgress(const FpgaProgress& p) override { progress.push_back(p); }
  void OnBusyChanged(bool b) override { busy.push_back(b); }
  void OnFinished(FpgaOperation operation, FpgaOutcome outcome) override {
    outcomes.push_back(outcome);
    if (then) then(operation, outcome);
  }
};

class FpgaTransferTest : public ::testing::Test {
 protected:
  void SetUp() override { transfer.SetObserver(&observer); }

  // Feeds the port's data to the transfer, as the port's notifications do,
  // until it is idle or nothing more arrives.
  void Pump() {
    while (transfer.IsBusy() && !link.incoming.empty()) transfer.OnReplyBytes();
  }

  std::vector<std::string> Log() const {
    return {transfer.Log().Lines().begin(), transfer.Log().Lines().end()};
  }
  std::vector<std::string> LastLines(std::size_t count) const {
    const std::vector<std::string> lines = Log();
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
  }
  std::vector<std::uint32_t> AddressesWritten() const {
    std::vector<std::uint32_t> addresses;
    for (const wire::Frame& frame : link.written) addresses.push_back(wire::ReadU32(frame, 4));
    return addresses;
  }
  std::span<const std::uint8_t> Flash(std::size_t address, std::size_t count) {
    return instrument.Flash().Bytes().subspan(address, count);
  }

  sim::VirtualInstrument instrument{{}, 1};
  test::InstrumentLink link{instrument};
  test::RecordingPrompt prompt;
  FpgaTransfer transfer{link, prompt};
  RecordingObserver observer;
  test::DesignFolder folder;
};

TEST_F(FpgaTransferTest, RawFileGoesBitReversedInTwoBlocksAndVerifiesClean) {
  const std::vector<std::uint8_t> design = DesignBytes(1000);
  const auto path = folder.Write("design.rbf", design);

  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(AddressesWritten(), (std::vector<std::uint32_t>{0, 512}));
  EXPECT_EQ(LastLines(3),
            (std::vector<std::string>{"Writing FPGA Flash: Done!", "1024 Bytes Uploaded", kStars38}));
  const std::vector<std::uint8_t> reversed = Reversed(design);
  EXPECT_TRUE(std::ranges::equal(Flash(0, 1000), reversed));
  EXPECT_TRUE(std::ranges::all_of(Flash(1000, 24), [](std::uint8_t b) { return b == 0xFF; }));

  link.written.clear();
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(AddressesWritten(), (std::vector<std::uint32_t>{0, 512}));
  EXPECT_EQ(LastLines(2), (std::vector<std::string>{"Verifyed 1024 bytes...0 Errors Found!", kStars52}));
  EXPECT_EQ(transfer.VerifyErrors(), 0u);
  EXPECT_EQ(observer.outcomes, (std::vector<FpgaOutcome>{FpgaOutcome::kDone, FpgaOutcome::kDone}));
  EXPECT_EQ(observer.busy, (std::vector<bool>{true, false, true, false}));
}

TEST_F(FpgaTransferTest, RawFileOfAnyExtensionVerifiesWhatItUploaded) {
  const auto path = folder.Write("design.bin", DesignBytes(3000, 5));
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  Pump();
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(transfer.VerifyErrors(), 0u);
  EXPECT_EQ(Log().back(), kStars52);
}

TEST_F(FpgaTransferTest, KbfBodyGoesUnreversedToItsAddressAndVerifiesInThreeBlocks) {
  const std::vector<std::uint8_t> body = DesignBytes(1040, 9);
  const auto path = folder.Write("design.kbf", KbfFile(body, 0x10000));

  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(AddressesWritten(), (std::vector<std::uint32_t>{0x10000, 0x10200, 0x10400}));
  EXPECT_TRUE(std::ranges::equal(Flash(0x10000, 1040), body));
  EXPECT_EQ(LastLines(2)[0], "1536 Bytes Uploaded");

  link.written.clear();
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(AddressesWritten(), (std::vector<std::uint32_t>{0x10000, 0x10200, 0x10400}));
  for (const wire::Frame& request : link.written) EXPECT_EQ(wire::ReadU16(request, 0), 215);
  EXPECT_EQ(LastLines(2)[0], "Verifyed 1536 bytes...0 Errors Found!");
}

TEST_F(FpgaTransferTest, KbfBodyOfWholeBlocksSendsNoBlockOfFillAfterIt) {
  const auto path = folder.Write("design.KBF", KbfFile(DesignBytes(1024), 0x4000));
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(AddressesWritten(), (std::vector<std::uint32_t>{0x4000, 0x4200}));
  EXPECT_EQ(LastLines(2)[0], "1024 Bytes Uploaded");
}

TEST_F(FpgaTransferTest, VerifyLogsEachDifferenceWithItsAddress) {
  const std::vector<std::uint8_t> body = DesignBytes(600, 3);
  const auto path = folder.Write("design.kbf", KbfFile(body, 0x800));
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  Pump();
  const std::uint8_t changed = body[2] ^ 0xFF;
  instrument.Flash().Bytes()[0x800 + 2] = changed;
  instrument.Flash().Bytes()[0x800 + 700] = 0x00;  // the fill after the body

  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  Pump();
  char first[64];
  std::snprintf(first, sizeof first, "Error address 2050: file=%X device=%X", unsigned{body[2]},
                unsigned{changed});
  const std::vector<std::string> log = Log();
  EXPECT_NE(std::ranges::find(log, first), log.end());
  EXPECT_NE(std::ranges::find(log, "Error address 2748: file=FF device=0"), log.end());
  EXPECT_EQ(transfer.VerifyErrors(), 2u);
  EXPECT_EQ(LastLines(2)[0], "Verifyed 1024 bytes...2 Errors Found!");
}

TEST_F(FpgaTransferTest, LogKeepsTheLast80Lines) {
  const auto path = folder.Write("design.rbf", DesignBytes(512));
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);  // the erased flash differs nearly everywhere
  Pump();
  EXPECT_EQ(transfer.Log().Lines().size(), FpgaLog::kMaxLines);
  EXPECT_GT(transfer.VerifyErrors(), 400u);
  EXPECT_EQ(Log().back(), kStars52);
}

TEST_F(FpgaTransferTest, ProgressRunsOverTheFileLengthAndEndsAtZero) {
  const auto path = folder.Write("design.rbf", DesignBytes(3000));
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  ASSERT_FALSE(observer.progress.empty());
  EXPECT_EQ(observer.progress.front().range, 3000u);
  EXPECT_EQ(observer.progress.front().step, 201u);
  EXPECT_EQ(observer.progress.front().position, 50u);
  Pump();
  std::vector<std::uint64_t> positions;
  for (const FpgaProgress& p : observer.progress) positions.push_back(p.position);
  EXPECT_EQ(positions, (std::vector<std::uint64_t>{50, 512, 1024, 1536, 2048, 2560, 0}));
}

TEST_F(FpgaTransferTest, DamagedDesignIsRefusedAndNothingIsSent) {
  std::vector<std::uint8_t> file = KbfFile(DesignBytes(1040), 0x10000);
  std::swap(file[2], file[3]);
  ASSERT_EQ(transfer.Upload(folder.Write("swapped.kbf", file)), FpgaStart::kInvalidDesign);
  file = KbfFile(DesignBytes(1040), 0x10000);
  wire::WriteU32(file, 12, wire::ReadU32(file, 12) + 1);
  ASSERT_EQ(transfer.Verify(folder.Write("offbyone.kbf", file)), FpgaStart::kInvalidDesign);

  EXPECT_EQ(prompt.errors, (std::vector<std::string>(2, "Invalid or corrupted file!")));
  EXPECT_TRUE(link.written.empty());
  EXPECT_FALSE(transfer.IsBusy());
  EXPECT_EQ(Log()[0], "Open File: " + (folder.Path() / "swapped.kbf").string());
}

TEST_F(FpgaTransferTest, FilesThatCannotBeReadAreNamedInTheLog) {
  EXPECT_EQ(transfer.Upload(folder.Path() / "*.kbf"), FpgaStart::kFileError);
  EXPECT_EQ(transfer.Verify(folder.Path()), FpgaStart::kFileError);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "FILE ERROR: The file could not be located.",
                       (folder.Path() / "*.kbf").string() + ": No such file or directory",
                       "FILE ERROR: The file could not be accessed.",
                       folder.Path().string() + ": is a folder",
                   }));
  EXPECT_TRUE(link.written.empty());
}

TEST_F(FpgaTransferTest, OversizedFileIsRefusedBeforeAnythingIsSent) {
  const auto path = folder.Write("huge.rbf", {});
  std::filesystem::resize_file(path, kMaxDesignBytes + 1);  // sparse: no disk space taken
  EXPECT_EQ(transfer.Upload(path), FpgaStart::kFileError);
  EXPECT_EQ(Log(), (std::vector<std::string>{"FILE ERROR: The file is too large to upload.", path.string()}));
  EXPECT_TRUE(link.written.empty());
}

TEST(FileErrorTextTest, SystemErrorsMapToTheirCauseTexts) {
  const auto text = [](int error) { return FileErrorText(FileErrorCauseFromSystemError(error)); };
  EXPECT_EQ(text(0), "No error occurred.");
  EXPECT_EQ(text(ENOENT), "The file could not be located.");
  EXPECT_EQ(text(ENOTDIR), "All or part of the path is invalid.");
  EXPECT_EQ(text(EMFILE), "The permitted number of open files was exceeded.");
  EXPECT_EQ(text(EACCES), "The file could not be accessed.");
  EXPECT_EQ(text(EBADF), "There was an attempt to use an invalid file handle.");
  EXPECT_EQ(text(EIO), "There was a hardware error.");
  EXPECT_EQ(text(ENOSPC), "The disk is full.");
  EXPECT_EQ(text(EPROTO), "File Error.");
}

TEST_F(FpgaTransferTest, OwnerMayChainTheNextOperationWhenOneFinishes) {
  const auto path = folder.Write("design.rbf", DesignBytes(2000));
  observer.then = [&](FpgaOperation operation, FpgaOutcome outcome) {
    if (outcome != FpgaOutcome::kDone) return;
    if (operation == FpgaOperation::kUpload) transfer.Verify(path);
    if (operation == FpgaOperation::kVerify) transfer.Configure();
  };
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  Pump();
  EXPECT_EQ(observer.outcomes, std::vector<FpgaOutcome>(3, FpgaOutcome::kDone));
  EXPECT_EQ(LastLines(2), (std::vector<std::string>{"FPGA Configured!", kStars38}));
  EXPECT_EQ(instrument.Flash().Configurations(), 1u);
  EXPECT_EQ(transfer.VerifyErrors(), 0u);
}

// Failure paths, with a port double that answers only as a test tells it.
class FpgaTransferFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    transfer.SetObserver(&observer);
    path = folder.Write("design.rbf", DesignBytes(1500));
  }

  static wire::Frame Sealed(wire::Frame frame) {
    frame.back() = wire::Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
    return frame;
  }
  static wire::Frame UploadAck(std::uint16_t code = 210) {
    return Sealed({static_cast<std::uint8_t>(code), 0, 9, 0, 0, 0, 0, 0, 0});
  }
  static wire::Frame VerifyReply(const wire::Frame& request, std::uint8_t fill) {
    wire::Frame reply(523, fill);
    wire::WriteU16(reply, 0, 215);
    wire::WriteU32(reply, 4, wire::ReadU32(request, 4));
    return Sealed(reply);
  }
  std::vector<std::string> Log() const {
    return {transfer.Log().Lines().begin(), transfer.Log().Lines().end()};
  }
  void Answer(const wire::Frame& reply) {
    link.Queue(reply);
    transfer.OnReplyBytes();
  }

  test::FakeSerialLink link;
  test::RecordingPrompt prompt;
  FpgaTransfer transfer{link, prompt};
  RecordingObserver observer;
  test::DesignFolder folder;
  std::filesystem::path path;
};

TEST_F(FpgaTransferFailureTest, SilenceEndsAfter22TicksWithTheThreeTimeOutLines) {
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  for (int tick = 0; tick < 20; ++tick) transfer.OnTick();
  Answer(UploadAck());  // the next frame starts its own 22 ticks
  ASSERT_EQ(link.written.size(), 2u);
  for (int tick = 0; tick < FpgaTransfer::kTimeoutTicks; ++tick) transfer.OnTick();
  EXPECT_TRUE(transfer.IsBusy()) << "22 ticks after the request the reply may still come";
  transfer.OnTick();
  EXPECT_FALSE(transfer.IsBusy());
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
            (std::vector<std::string>{kTildes, "Error: Communication Time Out", kTildes}));
  EXPECT_EQ(observer.outcomes, std::vector<FpgaOutcome>{FpgaOutcome::kTimedOut});

  // The buttons are usable again: the next operation starts.
  EXPECT_EQ(transfer.Configure(), FpgaStart::kStarted);
}

TEST_F(FpgaTransferFailureTest, DamagedUploadRepliesEndTheUploadWithTheirLine) {
  struct Case {
    wire::Frame reply;
    const char* line;
    FpgaOutcome outcome;
  };
  wire::Frame damaged = UploadAck();
  damaged[6] ^= 0x22;
  for (const Case& c :
       {Case{UploadAck(215), "Error Reading Data from Serial Port", FpgaOutcome::kBadReply},
        Case{Sealed({210, 0, 10, 0, 0, 0, 0, 0, 0}), "Error Reading Data from Serial Port",
             FpgaOutcome::kBadReply},
        Case{damaged, "Check Sum Error Reading Data from Serial Port", FpgaOutcome::kBadChecksum}}) {
    observer.outcomes.clear();
    ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
    Answer(c.reply);
    EXPECT_FALSE(transfer.IsBusy());
    EXPECT_EQ(Log().back(), c.line);
    EXPECT_EQ(observer.outcomes, std::vector<FpgaOutcome>{c.outcome});
  }
}

TEST_F(FpgaTransferFailureTest, DamagedVerifyReplyIsReportedNotPassedOver) {
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  wire::Frame reply = VerifyReply(link.Last(), 0xFF);
  reply[300] ^= 1;
  Answer(reply);
  EXPECT_EQ(Log().back(), "Check Sum Error Reading Data from Serial Port");
  EXPECT_EQ(observer.outcomes, std::vector<FpgaOutcome>{FpgaOutcome::kBadChecksum});

  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  reply = VerifyReply(link.Last(), 0xFF);
  reply[0] = 0xD2;
  Answer(Sealed(reply));
  EXPECT_EQ(Log().back(), "Error Reading Data from Serial Port");
}

TEST_F(FpgaTransferFailureTest, ConfigureReplyFaultsHaveTheirOwnLines) {
  ASSERT_EQ(transfer.Configure(), FpgaStart::kStarted);
  Answer(wire::Frame{0xF6, 0, 9, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Log().back(), "Check Sum Error");
  ASSERT_EQ(transfer.Configure(), FpgaStart::kStarted);
  Answer(Sealed({0xF5, 0, 9, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Log().back(), "Error Reading Data from Serial Port");
}

TEST_F(FpgaTransferFailureTest, ReplyArrivingInPiecesIsJoined) {
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  const wire::Frame reply = VerifyReply(link.Last(), 0x00);
  for (std::size_t at = 0; at < reply.size(); at += 100) {
    link.Queue(wire::Frame(reply.begin() + static_cast<std::ptrdiff_t>(at),
                           reply.begin() + static_cast<std::ptrdiff_t>(std::min(at + 100, reply.size()))));
    transfer.OnReplyBytes();
  }
  EXPECT_EQ(link.written.size(), 2u) << "the second request follows the whole first reply";
  EXPECT_TRUE(transfer.IsBusy());
}

TEST_F(FpgaTransferFailureTest, BusyRefusesAnotherStartWithoutTouchingThePort) {
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  const int purges = link.purges;
  const wire::Frame ack = UploadAck();
  link.Queue({ack.begin(), ack.begin() + 2});  // the first bytes of the awaited reply
  EXPECT_EQ(transfer.Verify(path), FpgaStart::kBusy);
  EXPECT_EQ(transfer.Configure(), FpgaStart::kBusy);
  EXPECT_EQ(prompt.errors, (std::vector<std::string>(2, "Busy Receiving Data!")));
  EXPECT_EQ(link.purges, purges);
  link.Queue({ack.begin() + 2, ack.end()});
  transfer.OnReplyBytes();
  EXPECT_EQ(link.written.size(), 2u) << "the reply survived the refused starts";
}

TEST_F(FpgaTransferFailureTest, StopCancelsAndALateReplyIsDropped) {
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  transfer.Stop();
  EXPECT_FALSE(transfer.IsBusy());
  EXPECT_EQ(Log().back(), "Upload/Verification Cancelled. Please, reload/verify FPGA design!");
  EXPECT_EQ(observer.outcomes, std::vector<FpgaOutcome>{FpgaOutcome::kStopped});
  EXPECT_EQ(transfer.Progress().position, 0u);

  link.Queue(UploadAck());
  transfer.OnReplyBytes();
  EXPECT_EQ(link.written.size(), 1u);
  EXPECT_TRUE(link.incoming.empty());
  for (int tick = 0; tick < 30; ++tick) transfer.OnTick();
  EXPECT_EQ(observer.outcomes.size(), 1u) << "an idle transfer has nothing to time out";

  ASSERT_EQ(transfer.Configure(), FpgaStart::kStarted);
  const std::size_t lines = Log().size();
  transfer.Stop();
  EXPECT_FALSE(transfer.IsBusy());
  EXPECT_EQ(Log().size(), lines) << "stopping the configure has no file to cancel";
  EXPECT_EQ(observer.outcomes.back(), FpgaOutcome::kStopped);
}

}  // namespace
}  // namespace korva
