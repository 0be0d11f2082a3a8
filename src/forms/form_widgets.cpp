#include "forms/form_widgets.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScrollArea>
#include <algorithm>

#include "forms/form_list.h"

namespace korva {

namespace {

// How far disabled texts fade towards the background.
constexpr float kDisabledFade = 0.55f;

QColor Blend(const QColor& from, const QColor& to, float share) {
  const auto mix = [share](float a, float b) { return a + (b - a) * share; };
  return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                          mix(from.blueF(), to.blueF()));
}

// Every role a form draws with is set, so no application look shows
// through: light edits with the form's text colour, buttons a shade darker
// than the background, disabled texts faded.
QPalette FormPalette(const FormColours& colours) {
  QPalette palette;
  const QColor faded = Blend(colours.text, colours.background, kDisabledFade);
  palette.setColor(QPalette::Window, colours.background);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::AlternateBase, colours.background);
  palette.setColor(QPalette::Button, colours.background.darker(108));
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(role, colours.text);
    palette.setColor(QPalette::Disabled, role, faded);
  }
  palette.setColor(QPalette::Highlight, colours.text);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  return palette;
}

}  // namespace

QWidget* NewScrolledForm(QScrollArea& view, const FormColours& colours) {
  const QPalette palette = FormPalette(colours);
  auto* form = new QWidget(&view);
  form->setPalette(palette);
  form->setAutoFillBackground(true);
  view.setFrameShape(QFrame::NoFrame);
  view.setWidgetResizable(true);
  view.setWidget(form);
  view.viewport()->setPalette(palette);
  return form;
}

QLineEdit* NewReadingBox(const QString& objectName, int characters, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(objectName);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::NoFocus);
  box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, parent->palette().color(QPalette::Window));
  box->setPalette(palette);
  const QFontMetrics metrics(box->font());
  box->setMinimumWidth(metrics.horizontalAdvance(QString(characters + 1, QLatin1Char('0'))) + 8);
  return box;
}

QComboBox* NewList(const QString& objectName, const QStringList& entries, QWidget* parent) {
  auto* list = new FormList(parent);
  list->setObjectName(objectName);
  list->addItems(entries);
  list->setMaxVisibleItems(17);
  return list;
}

FormGroup NewGroup(const QString& title, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* grid = new QGridLayout(box);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  return {box, grid};
}

void AddField(QGridLayout& grid, int row, int pair, const QString& caption, QWidget* field) {
  auto* label = new QLabel(caption, field->parentWidget());
  label->setBuddy(field);
  grid.addWidget(label, row, 2 * pair);
  grid.addWidget(field, row, 2 * pair + 1);
}

QStringList NumberEntries(int count) {
  QStringList entries;
  for (int number = 1; number <= count; ++number) entries << QString::number(number);
  return entries;
}

QStringList ListEntries(std::span<const char* const> texts) {
  QStringList entries;
  for (const char* text : texts) entries << QString::fromLatin1(text);
  return entries;
}

void ShowText(QLineEdit& box, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (box.text() != shown) box.setText(shown);
}

void ShowSelection(QComboBox& list, int index) {
  const QSignalBlocker blocker(list);
  list.setCurrentIndex(index);
}

}  // namespace korva
