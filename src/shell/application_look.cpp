#include "shell/application_look.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>
#include <algorithm>

namespace korva {

namespace {

struct LookColours {
  QColor window;
  QColor base;
  QColor text;
  QColor button;
  QColor highlight;
};

LookColours ColoursOf(int commandId) {
  switch (commandId) {
    case 32865:
      return {QColor(240, 240, 240), Qt::white, Qt::black, QColor(225, 225, 225), QColor(0, 120, 215)};
    case 32866:
      return {QColor(236, 233, 216), Qt::white, Qt::black, QColor(222, 218, 198), QColor(49, 106, 197)};
    case 32868:
      return {QColor(245, 246, 247), Qt::white, Qt::black, QColor(232, 234, 237), QColor(51, 153, 255)};
    case 32871:
      return {QColor(250, 250, 250), Qt::white, Qt::black, QColor(238, 238, 238), QColor(0, 99, 177)};
    case 32876:
      return {QColor(243, 243, 243), Qt::white, Qt::black, QColor(229, 229, 229), QColor(0, 90, 158)};
    case 32877:
      return {QColor(213, 228, 242), Qt::white, Qt::black, QColor(194, 215, 238), QColor(43, 87, 154)};
    case 32879:
      return {QColor(233, 236, 240), Qt::white, Qt::black, QColor(214, 219, 226), QColor(96, 110, 130)};
    case 32880:
      return {QColor(220, 240, 245), Qt::white, Qt::black, QColor(196, 228, 236), QColor(0, 139, 163)};
    default:  // black style
      return {QColor(45, 45, 48), QColor(30, 30, 30), QColor(230, 230, 230), QColor(62, 62, 66),
              QColor(0, 122, 204)};
  }
}

QPalette PaletteOf(int commandId) {
  const LookColours colours = ColoursOf(commandId);
  QPalette palette;
  palette.setColor(QPalette::Window, colours.window);
  palette.setColor(QPalette::WindowText, colours.text);
  palette.setColor(QPalette::Base, colours.base);
  palette.setColor(QPalette::AlternateBase, colours.window);
  palette.setColor(QPalette::Text, colours.text);
  palette.setColor(QPalette::Button, colours.button);
  palette.setColor(QPalette::ButtonText, colours.text);
  palette.setColor(QPalette::ToolTipBase, colours.base);
  palette.setColor(QPalette::ToolTipText, colours.text);
  palette.setColor(QPalette::Highlight, colours.highlight);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Disabled, QPalette::Text, colours.text.darker(160));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, colours.text.darker(160));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, colours.text.darker(160));
  return palette;
}

}  // namespace

bool IsApplicationLook(int commandId) {
  return std::any_of(kApplicationLooks.begin(), kApplicationLooks.end(),
                     [commandId](const ApplicationLook& look) { return look.commandId == commandId; });
}

void ApplyApplicationLook(int commandId) {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setPalette(PaletteOf(commandId));
}

}  // namespace korva
