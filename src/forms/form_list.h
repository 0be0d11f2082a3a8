#pragma once

#include <QComboBox>
#include <QWheelEvent>

namespace korva {

// A list on a scrolling form. It leaves the mouse wheel to the form unless
// it has the keyboard focus, so scrolling over the form never changes a
// setting.
class FormList : public QComboBox {
 public:
  explicit FormList(QWidget* parent) : QComboBox(parent) { setFocusPolicy(Qt::StrongFocus); }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    if (hasFocus()) {
      QComboBox::wheelEvent(event);
    } else {
      event->ignore();
    }
  }
};

}  // namespace korva
