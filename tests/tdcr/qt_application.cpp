#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

// One QApplication for the whole run of the widget tests: made before the
// first test, and gone before Qt's own static objects are.
class QtApplication : public ::testing::Environment {
  void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

  int argc_ = 1;
  char name_[16] = "tdcr_view_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const auto* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
