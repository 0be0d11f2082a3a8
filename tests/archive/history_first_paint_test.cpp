#include <gtest/gtest.h>

#include <QDockWidget>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "../support/scratch_files.h"
#include "archive/archive_location.h"
#include "archive/history_pane.h"
#include "setup/register_file.h"
#include "shell/main_frame.h"

namespace korva {
namespace {

// The label of the pane's that begins with `text`, or null.
QLabel* LabelStartingWith(const HistoryView& view, const QString& text) {
  for (QLabel* label : view.findChildren<QLabel*>()) {
    if (label->text().startsWith(text)) return label;
  }
  return nullptr;
}

// A window opens without reading the archive: the HISTORY pane, behind
// the events at start-up, is built and lists the entries once the window
// has been painted; in front, it says it is reading the archive until then.
// Saves made before that are archived all the same.
TEST(HistoryFirstPaintTest, TheArchiveIsListedAfterTheFirstPaintAndSavesBeforeItAreKept) {
  const test::ScratchFolder folder;
  test::MemorySettingsStore settings;
  settings.strings[test::MemorySettingsStore::Key(kArchiveSettingsPath, kArchiveUrlName)] =
      (folder / "archive.sqlite").string();
  test::RecordingPrompt prompt;
  MainFrameServices services;
  services.prompt = &prompt;
  services.settings = &settings;
  services.enumerate = [] { return std::vector<SerialPortRecord>{}; };
  {
    CMainFrame behind(services);
    EXPECT_EQ(behind.findChild<HistoryView*>(), nullptr) << "built before the window appeared";
    ASSERT_EQ(SaveRegisterFile(folder / "earlier.rgv", {}), RegisterFileStatus::kDone);
    behind.show();
    QTRY_VERIFY(behind.findChild<HistoryView*>() != nullptr);
    QTRY_COMPARE(behind.findChild<HistoryView*>()->List().topLevelItemCount(), 1);
  }

  CMainFrame frame(services);
  frame.findChild<QDockWidget*>("HistoryPane")->raise();
  frame.show();
  auto* view = frame.findChild<HistoryView*>();
  ASSERT_NE(view, nullptr);
  QTreeWidget& list = view->List();
  EXPECT_EQ(list.topLevelItemCount(), 0);
  QLabel* reading = LabelStartingWith(*view, "Reading the archive ");
  ASSERT_NE(reading, nullptr);
  EXPECT_TRUE(reading->text().contains("archive.sqlite")) << reading->text().toStdString();
  EXPECT_FALSE(reading->isHidden());

  QTRY_COMPARE(list.topLevelItemCount(), 1);
  EXPECT_NE(list.topLevelItem(0)->toolTip(0).indexOf("earlier.rgv"), -1);
  EXPECT_TRUE(reading->isHidden());

  ASSERT_EQ(SaveRegisterFile(folder / "later.rgv", {}), RegisterFileStatus::kDone);
  EXPECT_EQ(list.topLevelItemCount(), 2);
  EXPECT_TRUE(prompt.errors.empty());
}

}  // namespace
}  // namespace korva
