#include "archive/history_pane.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "../support/frame_panes.h"
#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "../support/scratch_files.h"
#include "archive/archive_location.h"
#include "setup/register_file.h"
#include "shell/main_frame.h"

namespace korva {
namespace {

// Utility > "Archive Location...", answered with `url`.
void ChooseArchive(CMainFrame& frame, const QString& url) {
  QAction* command = nullptr;
  for (QAction* action : frame.findChildren<QAction*>()) {
    if (action->text() == "Archive Location...") command = action;
  }
  ASSERT_NE(command, nullptr);
  QTimer::singleShot(0, [url] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->setTextValue(url);
    dialog->accept();
  });
  command->trigger();
}

TEST(HistoryPaneTest, ListsSavesNewestFirstFiltersAndMarksMissingAndChangedFiles) {
  const test::ScratchFolder folder;
  test::MemorySettingsStore settings;
  settings.strings[test::MemorySettingsStore::Key(kArchiveSettingsPath, kArchiveUrlName)] =
      (folder / "archive.sqlite").string();
  test::RecordingPrompt prompt;
  MainFrameServices services;
  services.prompt = &prompt;
  services.settings = &settings;
  services.enumerate = [] { return std::vector<SerialPortRecord>{}; };
  CMainFrame frame(services);
  ASSERT_TRUE(test::ShowWithEveryPaneBuilt(frame));
  auto* view = frame.findChild<HistoryView*>();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->parentWidget()->windowTitle(), "HISTORY");

  ASSERT_EQ(SaveRegisterFile(folder / "older.rgv", {}), RegisterFileStatus::kDone);
  ASSERT_EQ(SaveRegisterFile(folder / "newer.rgv", {}), RegisterFileStatus::kDone);
  QTreeWidget& list = view->List();
  ASSERT_EQ(list.topLevelItemCount(), 2);
  EXPECT_EQ(list.topLevelItem(0)->text(1), "registers");
  EXPECT_NE(list.topLevelItem(0)->toolTip(0).indexOf("newer.rgv"), -1);
  EXPECT_EQ(list.topLevelItem(0)->text(HistoryView::kFilesColumn), "ok");

  view->TextField().setText("older");
  ASSERT_EQ(list.topLevelItemCount(), 1);
  view->TextField().clear();
  view->KindField().setCurrentText("spectrum");
  EXPECT_EQ(list.topLevelItemCount(), 0);
  view->KindField().setCurrentIndex(0);
  view->SinceField().setText("2999-01-01");
  EXPECT_EQ(list.topLevelItemCount(), 0);
  view->SinceField().setText("not a day");  // marked and left out
  EXPECT_EQ(list.topLevelItemCount(), 2);
  view->SinceField().clear();

  std::filesystem::remove(folder / "older.rgv");
  test::WriteFile(folder / "newer.rgv", "changed");
  view->TextField().setText("rgv");
  ASSERT_EQ(list.topLevelItemCount(), 2);
  EXPECT_EQ(list.topLevelItem(0)->text(HistoryView::kFilesColumn), "changed");
  EXPECT_EQ(list.topLevelItem(1)->text(HistoryView::kFilesColumn), "missing");

  // Another archive: the list follows it, the setting keeps it, a wrong URL changes nothing.
  const std::string other = (folder / "other.sqlite").string();
  ChooseArchive(frame, QString::fromStdString(other));
  EXPECT_EQ(list.topLevelItemCount(), 0);
  EXPECT_EQ(settings.strings[test::MemorySettingsStore::Key(kArchiveSettingsPath, kArchiveUrlName)], other);
  ChooseArchive(frame, "ftp://somewhere/else");
  EXPECT_EQ(settings.strings[test::MemorySettingsStore::Key(kArchiveSettingsPath, kArchiveUrlName)], other);
  ASSERT_EQ(SaveRegisterFile(folder / "third.rgv", {}), RegisterFileStatus::kDone);
  EXPECT_EQ(list.topLevelItemCount(), 1);
}

}  // namespace
}  // namespace korva
