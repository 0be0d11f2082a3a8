#pragma once

#include <QObject>

namespace korva {

// Ctrl+C is the Connect accelerator, and it is also how every text view
// and field copies. While the widget with the keyboard focus holds a
// selection, the key goes to that widget, which copies; otherwise it
// stays the accelerator.
class CopyShortcutGuard : public QObject {
  Q_OBJECT

 public:
  // Watches every widget of the application while `parent` lives.
  explicit CopyShortcutGuard(QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace korva
