// The widget tests of the TDCR views share one QApplication for the whole run.

#include "../support/qt_application.h"

#include <QApplication>

namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new korva::test::QtApplication<QApplication>);

}  // namespace
