#include "forms/numeric_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <chrono>

#include "forms/spin_acceleration.h"

namespace korva {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(SpinAccelerationTest, StepGrowsWithTheTimeAnArrowIsHeld) {
  EXPECT_EQ(AcceleratedSpinStep(milliseconds(0)), 1);
  EXPECT_EQ(AcceleratedSpinStep(milliseconds(3999)), 1);
  EXPECT_EQ(AcceleratedSpinStep(seconds(4)), 10);
  EXPECT_EQ(AcceleratedSpinStep(milliseconds(5999)), 10);
  EXPECT_EQ(AcceleratedSpinStep(seconds(6)), 100);
  EXPECT_EQ(AcceleratedSpinStep(seconds(8)), 1000);
  EXPECT_EQ(AcceleratedSpinStep(seconds(600)), 1000);
}

class NumericEditTest : public ::testing::Test {
 protected:
  QWidget parent;
  NumericEdit spin{NumericEdit::Arrows::kSpin, QStringLiteral("spin"), &parent};
  NumericEdit plain{NumericEdit::Arrows::kNone, QStringLiteral("plain"), &parent};
};

// "-" alone is left as typed: it may become the sign of what follows.
TEST_F(NumericEditTest, MinusTypedAtTheEndMovesToTheFrontAndTheCaretStays) {
  QSignalSpy typed(&plain, &NumericEdit::Typed);
  QTest::keyClicks(&plain, QStringLiteral("12-"));
  EXPECT_EQ(plain.text(), QStringLiteral("-12"));
  EXPECT_EQ(plain.findChild<QLineEdit*>()->cursorPosition(), 3);
  ASSERT_EQ(typed.count(), 3);
  EXPECT_EQ(typed.at(2).at(0).toString(), QStringLiteral("-12"));

  plain.findChild<QLineEdit*>()->clear();
  QTest::keyClicks(&plain, QStringLiteral("-"));
  EXPECT_EQ(plain.text(), QStringLiteral("-"));
}

TEST_F(NumericEditTest, EnterFinishesTheEditAndGoesNoFurther) {
  QSignalSpy finished(&plain, &NumericEdit::Finished);
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&plain, &press);
    EXPECT_TRUE(press.isAccepted());
  }
  EXPECT_EQ(finished.count(), 2);
}

TEST_F(NumericEditTest, OnlyASpinStepsAndAShortPressStepsByOne) {
  QSignalSpy spinSteps(&spin, &NumericEdit::Stepped);
  QSignalSpy plainSteps(&plain, &NumericEdit::Stepped);
  QTest::keyClick(&spin, Qt::Key_Up);
  QTest::keyClick(&spin, Qt::Key_Down);
  QTest::keyClick(&plain, Qt::Key_Up);
  ASSERT_EQ(spinSteps.count(), 2);
  EXPECT_EQ(spinSteps.at(0).at(0).toInt(), 1);
  EXPECT_EQ(spinSteps.at(1).at(0).toInt(), -1);
  EXPECT_EQ(plainSteps.count(), 0);
}

}  // namespace
}  // namespace korva
