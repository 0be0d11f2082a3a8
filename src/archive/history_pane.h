#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "archive/archive_entry.h"
#include "archive/archive_filter.h"
#include "archive/file_hashing.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace korva {

// An entry as the HISTORY pane lists it, with the state of its files.
struct HistoryRow {
  ArchiveEntry entry;
  FileState files = FileState::kUnchanged;  // the worst of its files
};

// The "HISTORY" pane's form: the filters (days, kind, instrument, free
// text) over a newest-first list of the archived saves. An entry whose file
// is missing or changed since it was saved is marked in the "Files" column.
class HistoryView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kResultColumn = 6;
  static constexpr int kFilesColumn = 7;

  explicit HistoryView(QWidget* parent = nullptr);

  // The filter as the fields give it; a day field that is not a day is
  // marked and left out.
  ArchiveFilter Filter() const;
  void ShowRows(const std::vector<HistoryRow>& rows);
  // The archive's state when it cannot be read; empty clears it.
  void ShowProblem(const QString& problem);

  QTreeWidget& List() const { return *list_; }
  QLineEdit& SinceField() const { return *since_; }
  QLineEdit& TextField() const { return *text_; }
  QComboBox& KindField() const { return *kind_; }

 signals:
  void FilterChanged();
  // Double-click on the entry with this id.
  void EntryOpened(qint64 id);

 private:
  QLineEdit* DayField(const QString& placeholder);

  QLineEdit* since_;
  QLineEdit* until_;
  QComboBox* kind_;
  QLineEdit* instrument_;
  QLineEdit* text_;
  QLabel* problem_;
  QTreeWidget* list_;
};

}  // namespace korva
