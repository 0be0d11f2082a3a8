#pragma once

#include <QAbstractSpinBox>
#include <QElapsedTimer>

namespace korva {

// A numeric edit of the TDCR form, with or without spin arrows. It holds no
// value: the form puts the measurement's text into it and acts on what it
// reports. A minus typed at the end of the text is moved to the front
// before anything sees the text, the caret staying where it was. The mouse
// wheel steps the spin only while the edit has the keyboard focus; otherwise
// it scrolls the form, so scrolling never changes a setting.
class NumericEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  enum class Arrows { kNone, kSpin };

  NumericEdit(Arrows arrows, const QString& objectName, QWidget* parent);

  // Shows `text` unless the edit already shows it, so the caret and the
  // selection of an unchanged text stay where they are.
  void ShowText(const QString& text);

  QValidator::State validate(QString& input, int& pos) const override;
  void stepBy(int steps) override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  // The user changed the text.
  void Typed(const QString& text);
  // An arrow moved the spin by `step`, already accelerated by how long it
  // has been held.
  void Stepped(int step);
  // Enter was pressed, or the keyboard focus left the edit.
  void Finished();
  void FocusChanged(bool focused);

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  Arrows arrows_;
  // Runs while an arrow is held down, by the mouse or a key.
  QElapsedTimer held_;
};

}  // namespace korva
