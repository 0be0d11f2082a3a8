#include "forms/fixed_column_list_ctrl.h"

#include <QFontDatabase>
#include <QHeaderView>

namespace korva {

CFixedColumnListCtrl::CFixedColumnListCtrl(const QStringList& headers, const QString& objectName,
                                           QWidget* parent)
    : QTreeWidget(parent) {
  setObjectName(objectName);
  setColumnCount(static_cast<int>(headers.size()));
  setHeaderLabels(headers);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setSelectionMode(QAbstractItemView::NoSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  header()->setSectionResizeMode(QHeaderView::Fixed);
  header()->setSectionsMovable(false);
  header()->setSectionsClickable(false);
  header()->setStretchLastSection(false);
  ShareWidth();
}

void CFixedColumnListCtrl::InsertRow(int row, const QStringList& texts, bool checked) {
  auto* item = new QTreeWidgetItem(texts);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
  item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
  insertTopLevelItem(row, item);
}

void CFixedColumnListCtrl::RemoveRow(int row) { delete takeTopLevelItem(row); }

QString CFixedColumnListCtrl::Text(int row, int column) const { return topLevelItem(row)->text(column); }

bool CFixedColumnListCtrl::Checked(int row) const { return topLevelItem(row)->checkState(0) == Qt::Checked; }

void CFixedColumnListCtrl::SetChecked(int row, bool checked) {
  topLevelItem(row)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CFixedColumnListCtrl::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  ShareWidth();
}

void CFixedColumnListCtrl::focusOutEvent(QFocusEvent* event) {
  QTreeWidget::focusOutEvent(event);
  emit FocusLost();
}

void CFixedColumnListCtrl::ShareWidth() {
  const int columns = columnCount();
  if (columns == 0) return;
  const int width = viewport()->width() / columns;
  for (int column = 0; column < columns; ++column) setColumnWidth(column, width);
}

}  // namespace korva
