#pragma once

#include <gtest/gtest.h>

#include <memory>

namespace korva::test {

// One Qt application object for a whole test program, created before the
// first test and destroyed after the last, before static objects go away
// (a static application object crashes Qt's teardown at exit).
// Registered once per test program, by tests/support/qt_widgets_application.cpp:
//   [[maybe_unused]] const auto* const kApp =
//       ::testing::AddGlobalTestEnvironment(new test::QtApplication<QApplication>);
template <typename Application>
class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override { application_ = std::make_unique<Application>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[6] = "tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<Application> application_;
};

}  // namespace korva::test
