// Every Qt test program links this once (korva_qt_test does it): one
// QApplication for the whole run, which the widget tests need and the
// Core-only tests run under just as well. A test file never registers
// another: a second application object in one program is an error.

#include <QApplication>

#include "qt_application.h"

namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new korva::test::QtApplication<QApplication>);

}  // namespace
