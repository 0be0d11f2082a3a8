#include "archive/history_pane.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qtadapters/qt_text.h"

namespace korva {

namespace {

QString FilesText(FileState state) {
  switch (state) {
    case FileState::kMissing:
      return QStringLiteral("missing");
    case FileState::kChanged:
      return QStringLiteral("changed");
    case FileState::kUnchanged:
      break;
  }
  return QStringLiteral("ok");
}

QTreeWidgetItem* RowItem(const HistoryRow& row) {
  const ArchiveEntry& e = row.entry;
  QString saved = QtText(e.savedAt);
  saved.replace(QLatin1Char('T'), QLatin1Char(' '));
  auto* item = new QTreeWidgetItem(QStringList{
      saved, QtText(std::string(SavedKindName(e.kind))), QtText(e.description.record.tag),
      QtText(e.description.record.nuclides), QtText(e.description.record.operatorName),
      QtText(InstrumentName(e.description.instrument)), QtText(e.description.result), FilesText(row.files)});
  item->setData(0, Qt::UserRole, QVariant::fromValue<qint64>(e.id));
  if (row.files != FileState::kUnchanged) {
    for (int column = 0; column < item->columnCount(); ++column) item->setForeground(column, QColor(Qt::red));
  }
  QString files;
  for (const ArchivedFile& file : e.files) files += QtText(file.path) + QLatin1Char('\n');
  item->setToolTip(0, files.trimmed());
  return item;
}

}  // namespace

HistoryView::HistoryView(QWidget* parent)
    : QWidget(parent),
      since_(DayField(QStringLiteral("from YYYY-MM-DD"))),
      until_(DayField(QStringLiteral("to YYYY-MM-DD"))),
      kind_(new QComboBox(this)),
      instrument_(new QLineEdit(this)),
      text_(new QLineEdit(this)),
      problem_(new QLabel(this)),
      list_(new QTreeWidget(this)) {
  kind_->addItem(QStringLiteral("All kinds"));
  for (const SavedKind kind : AllSavedKinds()) {
    kind_->addItem(QtText(std::string(SavedKindName(kind))), static_cast<int>(kind));
  }
  instrument_->setPlaceholderText(QStringLiteral("instrument"));
  text_->setPlaceholderText(QStringLiteral("search"));
  text_->setClearButtonEnabled(true);
  problem_->setStyleSheet(QStringLiteral("color: red"));
  problem_->setWordWrap(true);
  problem_->hide();
  list_->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Kind"), QStringLiteral("Tag"),
                          QStringLiteral("Nuclide"), QStringLiteral("Operator"), QStringLiteral("Instrument"),
                          QStringLiteral("Result"), QStringLiteral("Files")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAlternatingRowColors(true);
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

  auto* filters = new QHBoxLayout;
  for (QWidget* field : std::initializer_list<QWidget*>{since_, until_, kind_, instrument_, text_})
    filters->addWidget(field);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(filters);
  layout->addWidget(problem_);
  layout->addWidget(list_);

  for (QLineEdit* field : {since_, until_, instrument_, text_})
    connect(field, &QLineEdit::textChanged, this, &HistoryView::FilterChanged);
  connect(kind_, &QComboBox::currentIndexChanged, this, &HistoryView::FilterChanged);
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { emit EntryOpened(item->data(0, Qt::UserRole).toLongLong()); });
}

QLineEdit* HistoryView::DayField(const QString& placeholder) {
  auto* field = new QLineEdit(this);
  field->setPlaceholderText(placeholder);
  field->setMaxLength(10);
  return field;
}

ArchiveFilter HistoryView::Filter() const {
  ArchiveFilter filter;
  const auto day = [](QLineEdit* field) {
    const std::string text = field->text().trimmed().toStdString();
    const bool usable = text.empty() || IsDayText(text);
    field->setStyleSheet(usable ? QString() : QStringLiteral("color: red"));
    return usable ? text : std::string();
  };
  filter.since = day(since_);
  filter.until = day(until_);
  if (kind_->currentIndex() > 0) filter.kind = static_cast<SavedKind>(kind_->currentData().toInt());
  filter.instrument = instrument_->text().trimmed().toStdString();
  filter.text = text_->text().trimmed().toStdString();
  return filter;
}

void HistoryView::ShowRows(const std::vector<HistoryRow>& rows) {
  list_->clear();
  QList<QTreeWidgetItem*> items;
  for (const HistoryRow& row : rows) items.append(RowItem(row));
  list_->addTopLevelItems(items);
}

void HistoryView::ShowProblem(const QString& problem) {
  problem_->setText(problem);
  problem_->setVisible(!problem.isEmpty());
}

}  // namespace korva
