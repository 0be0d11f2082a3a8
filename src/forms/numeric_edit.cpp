#include "forms/numeric_edit.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleOptionSpinBox>
#include <QWheelEvent>
#include <chrono>

#include "common/numeric_entry.h"
#include "forms/spin_acceleration.h"

namespace korva {

namespace {

// The widest text the edits show: a preset time of 4294967.294 s.
constexpr const char* kWidestText = "4294967.294";

bool IsArrowKey(int key) {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

bool IsEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

NumericEdit::NumericEdit(Arrows arrows, const QString& objectName, QWidget* parent)
    : QAbstractSpinBox(parent), arrows_(arrows) {
  setObjectName(objectName);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setButtonSymbols(arrows == Arrows::kSpin ? UpDownArrows : NoButtons);
  setFocusPolicy(Qt::StrongFocus);
  connect(lineEdit(), &QLineEdit::textEdited, this, &NumericEdit::Typed);
}

void NumericEdit::ShowText(const QString& text) {
  if (lineEdit()->text() != text) lineEdit()->setText(text);
}

QValidator::State NumericEdit::validate(QString& input, int&) const {
  input = QString::fromStdString(MoveTrailingMinusToFront(input.toStdString()));
  return QValidator::Acceptable;
}

void NumericEdit::stepBy(int steps) {
  const std::chrono::milliseconds held(held_.isValid() ? held_.elapsed() : 0);
  emit Stepped(steps * AcceleratedSpinStep(held));
}

QSize NumericEdit::sizeHint() const {
  ensurePolished();
  const QFontMetrics metrics(font());
  const QSize text(metrics.horizontalAdvance(QString::fromLatin1(kWidestText)) + metrics.averageCharWidth(),
                   lineEdit()->sizeHint().height());
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QAbstractSpinBox::StepEnabled NumericEdit::stepEnabled() const {
  return arrows_ == Arrows::kSpin ? StepUpEnabled | StepDownEnabled : StepNone;
}

// Enter is taken here and goes no further, so it never reaches a default
// button of the window around the form.
void NumericEdit::keyPressEvent(QKeyEvent* event) {
  if (IsEnterKey(event->key())) {
    event->accept();
    emit Finished();
    return;
  }
  if (IsArrowKey(event->key()) && !event->isAutoRepeat()) held_.start();
  QAbstractSpinBox::keyPressEvent(event);
}

void NumericEdit::keyReleaseEvent(QKeyEvent* event) {
  if (IsArrowKey(event->key()) && !event->isAutoRepeat()) held_.invalidate();
  QAbstractSpinBox::keyReleaseEvent(event);
}

void NumericEdit::mousePressEvent(QMouseEvent* event) {
  held_.start();
  QAbstractSpinBox::mousePressEvent(event);
}

void NumericEdit::mouseReleaseEvent(QMouseEvent* event) {
  held_.invalidate();
  QAbstractSpinBox::mouseReleaseEvent(event);
}

void NumericEdit::focusInEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusInEvent(event);
  emit FocusChanged(true);
}

void NumericEdit::focusOutEvent(QFocusEvent* event) {
  held_.invalidate();
  QAbstractSpinBox::focusOutEvent(event);
  emit FocusChanged(false);
  emit Finished();
}

void NumericEdit::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  QAbstractSpinBox::wheelEvent(event);
}

}  // namespace korva
