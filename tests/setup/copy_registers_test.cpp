// Hardware > Copy Registers in the main window, on a virtual instrument.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "../support/instrument_window.h"
#include "common/command_ids.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

TEST(CopyRegisters, FileToBufferAsksFirstAndSendsTheWholeSet) {
  test::InstrumentWindow window;
  test::RecordingPrompt& prompt = window.prompt;
  CMainFrame frame(window.services);
  EXPECT_FALSE(frame.Action(command::kCopyRegistersFileToBuffer)->isEnabled());
  frame.Trigger(command::kAutoConnect);
  ASSERT_TRUE(frame.Action(command::kCopyRegistersFileToBuffer)->isEnabled());

  // Before the instrument has answered nothing is sent.
  frame.Trigger(command::kCopyRegistersFileToBuffer);
  EXPECT_EQ(prompt.messages, std::vector<std::string>{"Info|The transfer was aborted!\nPlease, connect the "
                                                      "hardware\nand execute the transfer again."});
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame.Session().Engine().DeviceAnswered(); }, 5000));

  frame.Trigger(command::kCopyRegistersBufferToFile);
  EXPECT_EQ(frame.Spectra().file.image.registers, frame.Spectra().buffer.image.registers);
  frame.Spectra().file.image.registers[5] = 4444;
  frame.Spectra().file.image.registers[70] = 777;

  frame.Trigger(command::kCopyRegistersFileToBuffer);  // answered No
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_NE(frame.BufferSpectrum().image.registers[70], 777);
  prompt.answerYes = true;
  frame.Trigger(command::kCopyRegistersFileToBuffer);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return window.InstrumentRegister(70) == 777 && window.InstrumentRegister(5) == 4444; }, 5000));
  frame.close();
}

}  // namespace
}  // namespace korva
