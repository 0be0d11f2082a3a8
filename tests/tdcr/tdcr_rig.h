#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "common/event_log.h"
#include "run_memory.h"
#include "tdcr/tdcr_measurement.h"

namespace korva::test {

struct StillClock : LocalClock {
  std::optional<LocalCalendar> Now() override { return LocalCalendar{}; }
};

struct IdleEngineHost : EngineHost {
  bool IsPortOpen() const override { return true; }
  void RunDisconnectSequence() override {}
  void ScheduleAfter(int, std::function<void()>) override {}
};

// The time reference as START sees it; records the order of its use.
struct ScriptedStartTimes : StartTimeSource {
  bool needsChoice = false;
  bool userChooses = true;  // false: the dialog is closed without a choice
  StartStamp stamp = MakeStartStamp(StartReference::kUtc, {2024, 3, 7, 14, 5, 9, 123});
  std::vector<std::string> calls;
  bool NeedsChoice() const override { return needsChoice; }
  void ChooseReference() override {
    calls.push_back("choose");
    if (userChooses) needsChoice = false;
  }
  StartStamp TakeStartTime() override {
    calls.push_back("take");
    return stamp;
  }
};

// Answers the save question as told and counts the saves it is asked for.
struct ScriptedHost : TdcrHost {
  bool answerYes = false;
  std::vector<std::string> questions;
  int saves = 0;
  bool AskYesNo(std::string_view question) override {
    questions.emplace_back(question);
    return answerYes;
  }
  void SaveMeasurement() override { ++saves; }
  std::vector<std::string> messages;
  void Tell(std::string_view message) override { messages.emplace_back(message); }
};

// A TDCR measurement over a command engine on an in-memory port.
struct TdcrRig {
  TdcrRig() : log(clock), engine(link, image, log, prompt, engineHost), tdcr(engine, startTimes, host) {}

  // Connects and answers the first register read with zeros; the engine is
  // then idle and every settings write goes straight onto the line.
  void Connect() {
    engine.PrepareConnect();
    engine.CompleteConnect();
    link.Queue(FilledReadReplyTo(link.Last()));
    engine.OnReplyBytes();
    ASSERT_TRUE(engine.DeviceAnswered());
    ASSERT_FALSE(engine.IsBusy());
    // The filled replies carry no threshold calibration; after enough tries
    // the instrument's nominal scale is the settled one.
    image.calibration.attempts = ThresholdCalibration::kAttemptsBeforeNominal;
  }
  // Each settings write is acknowledged, so the next one is sent at once.
  std::size_t WritesAfter(const std::function<void()>& action) {
    const std::size_t before = link.written.size();
    action();
    const std::size_t sent = link.written.size() - before;
    if (sent != 0) {
      link.Queue(WriteAckTo(link.Last()));
      engine.OnReplyBytes();
    }
    return sent;
  }
  bool LastWriteCarriesTheImage() const {
    return link.Last() == wire::SendSettingsRegistersFrame(image.registers);
  }
  std::uint16_t& ControlWord() { return image.registers[83]; }
  void Put(std::size_t run, TdcrCounter counter, std::uint64_t value) {
    PutCounter(image.spectrum, run, counter, value);
  }

  StillClock clock;
  EventLog log;
  FakeSerialLink link;
  DeviceImage image;
  RecordingPrompt prompt;
  IdleEngineHost engineHost;
  CommandEngine engine;
  ScriptedStartTimes startTimes;
  ScriptedHost host;
  TdcrMeasurement tdcr;
};

}  // namespace korva::test
