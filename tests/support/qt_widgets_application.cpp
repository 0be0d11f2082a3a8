// A widget test program links this once: one QApplication for the whole run.

#include <QApplication>

#include "qt_application.h"

namespace {

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new korva::test::QtApplication<QApplication>);

}  // namespace
