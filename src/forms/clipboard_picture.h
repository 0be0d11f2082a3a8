#pragma once

class QWidget;

namespace korva {

// Puts a pixel-for-pixel picture of `widget` as it is drawn now on the
// clipboard. The caller picks the widget: a plot for its client area, the
// dock pane for the whole window with its caption.
void CopyPictureToClipboard(QWidget& widget);

}  // namespace korva
