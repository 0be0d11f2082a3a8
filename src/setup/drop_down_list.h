#pragma once

#include <QComboBox>
#include <QStringList>
#include <QWheelEvent>
#include <functional>

namespace korva {

// A form list that reports when its drop-down opens and closes, so a
// register read-back never changes a list the user is choosing from. Like
// the other form lists it leaves the mouse wheel to the scrolling form
// unless it has the keyboard focus.
class DropDownList : public QComboBox {
 public:
  DropDownList(const QString& objectName, const QStringList& entries, QWidget* parent) : QComboBox(parent) {
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    addItems(entries);
  }

  // Told true when the drop-down opens and false when it closes.
  std::function<void(bool open)> onDropDown;

  void showPopup() override {
    if (onDropDown) onDropDown(true);
    QComboBox::showPopup();
  }
  void hidePopup() override {
    QComboBox::hidePopup();
    if (onDropDown) onDropDown(false);
  }

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
