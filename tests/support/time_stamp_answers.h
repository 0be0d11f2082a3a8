#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "timesync/time_stamp_dialog.h"

namespace korva::test {

// Answers the "Measurement Time Stamp" dialog with "Use SYSTEM" whenever it
// comes up, for as long as `owner` lives.
inline void AnswerTimeStampDialogs(QObject* owner) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<CTimeUTC*>(QApplication::activeModalWidget())) {
      dialog->findChild<QPushButton*>(QStringLiteral("useSystem"))->click();
    }
  });
  poll->start(50);
}

}  // namespace korva::test
