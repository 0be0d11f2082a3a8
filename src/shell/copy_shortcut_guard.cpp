#include "shell/copy_shortcut_guard.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace korva {

namespace {

bool HoldsSelection(const QObject* widget) {
  if (const auto* line = qobject_cast<const QLineEdit*>(widget)) return line->hasSelectedText();
  if (const auto* text = qobject_cast<const QTextEdit*>(widget)) return text->textCursor().hasSelection();
  if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
    return plain->textCursor().hasSelection();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->hasSelectedText();
  if (const auto* view = qobject_cast<const QAbstractItemView*>(widget)) {
    return view->selectionModel() != nullptr && view->selectionModel()->hasSelection();
  }
  return false;
}

}  // namespace

CopyShortcutGuard::CopyShortcutGuard(QObject* parent) : QObject(parent) {
  QApplication::instance()->installEventFilter(this);
}

// Accepting the shortcut override hands the key press to the widget
// instead of the window's accelerator.
bool CopyShortcutGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy) && HoldsSelection(watched)) {
      key->accept();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace korva
