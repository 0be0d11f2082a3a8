// A widget test program links this once: one QApplication for the whole run.

#include "qt_application.h"

#include <QApplication>

namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new korva::test::QtApplication<QApplication>);

}  // namespace
