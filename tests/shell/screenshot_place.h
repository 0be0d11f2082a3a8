#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Where the picture tests put their pictures and how large the window is:
// KORVA_SCREENSHOT_DIR (no folder: the tests skip) and KORVA_SCREENSHOT_SIZE
// ("1366x768"; full HD when not given), as scripts/screenshots sets them.
namespace korva::test {

inline QString ScreenshotFolder() { return qEnvironmentVariable("KORVA_SCREENSHOT_DIR"); }

inline QSize ScreenshotWindowSize() {
  const QStringList parts =
      qEnvironmentVariable("KORVA_SCREENSHOT_SIZE", QStringLiteral("1920x1080")).split('x');
  return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize(1920, 1080);
}

// "<folder>/<name>-<width>x<height>.png".
inline QString ScreenshotFile(const QString& name) {
  const QSize size = ScreenshotWindowSize();
  return QStringLiteral("%1/%2-%3x%4.png").arg(ScreenshotFolder(), name).arg(size.width()).arg(size.height());
}

}  // namespace korva::test
