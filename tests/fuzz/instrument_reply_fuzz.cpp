// libFuzzer harness of the command engine's reply handling. The input is a
// script of steps against an engine on an in-memory port: bytes arriving
// (raw, or a well-formed reply to the last request carrying input bytes),
// timer ticks and new requests. Besides never crashing or hanging, the
// engine must take register values only from a reply whose header and
// length match the request in flight.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "common/event_log.h"
#include "devicelink/command_engine.h"
#include "devicelink/device_image.h"
#include "fuzz_script.h"

namespace {

using korva::wire::Frame;

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

class FixedClock : public korva::LocalClock {
 public:
  std::optional<korva::LocalCalendar> Now() override { return korva::LocalCalendar{2024, 3, 7, 14, 5, 9}; }
};

// Runs scheduled actions when the script ticks; a disconnect closes the port.
class ScriptHost : public korva::EngineHost {
 public:
  korva::CommandEngine* engine = nullptr;
  korva::test::FakeSerialLink* link = nullptr;
  std::vector<std::function<void()>> scheduled;

  bool IsPortOpen() const override { return link->open; }
  void RunDisconnectSequence() override {
    engine->OnDisconnect();
    link->open = false;
  }
  void ScheduleAfter(int, std::function<void()> action) override { scheduled.push_back(std::move(action)); }
  void RunScheduled() {
    auto actions = std::move(scheduled);
    scheduled.clear();
    for (auto& action : actions) action();
  }
};

struct Rig {
  Rig() : log(clock), engine(link, image, log, prompt, host) {
    host.engine = &engine;
    host.link = &link;
    link.onWrite = [this](const Frame&) { sinceRequest.clear(); };
  }

  // The reply length the request in flight asks for.
  std::size_t ExpectedLength() const {
    const Frame& request = link.Last();
    return request[0] == korva::wire::kReadCommand
               ? korva::wire::ExpectedReadReplyLength(korva::wire::ReadU16(request, 8))
               : korva::wire::kWriteReplyLength;
  }

  void Arrive(std::span<const std::uint8_t> bytes) {
    link.incoming.insert(link.incoming.end(), bytes.begin(), bytes.end());
    sinceRequest.insert(sinceRequest.end(), bytes.begin(), bytes.end());
    const auto before = image.registers;
    const bool pending = !link.written.empty();
    const Frame request = pending ? link.Last() : Frame{};
    const std::size_t expected = pending ? ExpectedLength() : 0;
    const Frame arrived = sinceRequest;
    engine.OnReplyBytes();
    if (image.registers != before) {
      Require(pending && arrived.size() >= expected);
      Require(korva::wire::CheckReply(request, expected, std::span(arrived).first(expected)).Valid());
    }
  }

  void Request(std::uint8_t which) {
    switch (which % 5) {
      case 0:
        engine.RequestTrace();
        break;
      case 1:
        engine.RequestSpectrumChunk();
        break;
      case 2:
        engine.RequestAllRegisters();
        break;
      case 3:
        engine.SendSettingsRegisters();
        break;
      default:
        engine.SetSpectrumPolling(which & 0x80);
        break;
    }
  }

  FixedClock clock;
  korva::EventLog log;
  korva::test::FakeSerialLink link;
  korva::DeviceImage image;
  korva::test::RecordingPrompt prompt;
  ScriptHost host;
  korva::CommandEngine engine;
  Frame sinceRequest;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Rig rig;
  rig.engine.PrepareConnect();
  rig.engine.CompleteConnect();
  korva::fuzz::FuzzScript script(std::span(data, size));
  while (!script.Done()) {
    const std::uint8_t step = script.Byte();
    switch (step % 4) {
      case 0:
        rig.Arrive(script.Bytes(step / 4u));
        break;
      case 1: {
        const Frame& request = rig.link.Last();
        const auto payload = script.Bytes(step / 4u * 32u);
        rig.Arrive(request[0] == korva::wire::kReadCommand ? korva::test::ReadReplyTo(request, payload)
                                                           : korva::test::WriteAckTo(request));
        break;
      }
      case 2:
        rig.engine.OnTick();
        rig.host.RunScheduled();
        break;
      default:
        rig.Request(script.Byte());
        break;
    }
  }
  return 0;
}
