#pragma once

#include <QtTest/QTest>

#include "devicelink/command_engine.h"
#include "devicelink/engine_links.h"

namespace korva::test {

// Counts the register reads the engine takes into the image, so a test can
// wait until the program has looked at the instrument again instead of
// waiting a fixed time: after two more reads every change written before
// the first of them has been read back.
class RegisterReadCounter : public EngineObserver {
 public:
  explicit RegisterReadCounter(CommandEngine& engine) : engine_(engine) { engine_.AddObserver(this); }
  ~RegisterReadCounter() override { engine_.RemoveObserver(this); }
  RegisterReadCounter(const RegisterReadCounter&) = delete;
  RegisterReadCounter& operator=(const RegisterReadCounter&) = delete;

  void OnRegistersRead(bool) override { ++reads_; }
  int Reads() const { return reads_; }
  // Waits for `count` more register reads; false when they do not come
  // within `timeoutMs`.
  bool AwaitMore(int count, int timeoutMs = 5000) {
    const int target = reads_ + count;
    return QTest::qWaitFor([&] { return reads_ >= target; }, timeoutMs);
  }

 private:
  CommandEngine& engine_;
  int reads_ = 0;
};

}  // namespace korva::test
