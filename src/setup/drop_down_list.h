#pragma once

#include <QStringList>
#include <functional>

#include "forms/form_list.h"

namespace korva {

// A form list that reports when its drop-down opens and closes, so a
// register read-back never changes a list the user is choosing from.
class DropDownList : public FormList {
 public:
  DropDownList(const QString& objectName, const QStringList& entries, QWidget* parent) : FormList(parent) {
    setObjectName(objectName);
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
};

}  // namespace korva
