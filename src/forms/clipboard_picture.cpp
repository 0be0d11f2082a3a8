#include "forms/clipboard_picture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

namespace korva {

void CopyPictureToClipboard(QWidget& widget) {
  QGuiApplication::clipboard()->setImage(widget.grab().toImage());
}

}  // namespace korva
