#include "qtadapters/qt_settings_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace korva {
namespace {

TEST(QtSettingsStore, KeepsValuesUnderTheCompanyKeyAcrossInstances) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  setenv("XDG_CONFIG_HOME", home.path().toLocal8Bit().constData(), 1);
  const std::vector<std::uint8_t> placement = {0, 1, 2, 255, 0};
  {
    QtSettingsStore store;
    EXPECT_FALSE(store.ReadBinary("\\Korva-TDCR\\WindowPos", "WinPos"));
    EXPECT_FALSE(store.ReadDword("\\Korva-TDCR\\App", "AppLook"));
    store.WriteBinary("\\Korva-TDCR\\WindowPos", "WinPos", placement);
    store.WriteDword("\\Korva-TDCR\\App", "AppLook", 32880);
    EXPECT_FALSE(store.ReadString("\\ConfigKorva\\LastPath", "FPGAFile"));
    store.WriteString("\\ConfigKorva\\LastPath", "FPGAFile", "/home/lab/designs \u00e9");
  }
  QtSettingsStore reopened;
  EXPECT_EQ(reopened.ReadBinary("\\Korva-TDCR\\WindowPos", "WinPos"), placement);
  EXPECT_EQ(reopened.ReadDword("\\Korva-TDCR\\App", "AppLook"), 32880u);
  EXPECT_EQ(reopened.ReadString("\\ConfigKorva\\LastPath", "FPGAFile"), "/home/lab/designs \u00e9");
  EXPECT_TRUE(QFile::exists(home.path() + "/Korva/Korva-TDCR 7.0.conf"));
}

}  // namespace
}  // namespace korva
