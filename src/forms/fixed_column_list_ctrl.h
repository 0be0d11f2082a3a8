#pragma once

#include <QTreeWidget>

namespace korva {

// A report-style list with a check box at the start of each row. Its
// columns share the list's width equally and cannot be resized by dragging
// the header, and its rows cannot be selected: a click only moves the check
// boxes.
class CFixedColumnListCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  CFixedColumnListCtrl(const QStringList& headers, const QString& objectName, QWidget* parent);

  int RowCount() const { return topLevelItemCount(); }
  // A new row at `row` (0 is the top), one text per column.
  void InsertRow(int row, const QStringList& texts, bool checked);
  void RemoveRow(int row);
  QString Text(int row, int column) const;
  bool Checked(int row) const;
  void SetChecked(int row, bool checked);

 signals:
  // The keyboard focus left the list.
  void FocusLost();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShareWidth();
};

}  // namespace korva
