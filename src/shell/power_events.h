#pragma once

#include <QObject>

namespace korva {

// The computer's suspend and resume, from logind's PrepareForSleep signal
// on the system bus. Without a system bus (containers, build machines)
// there is nothing to listen to, and Qt's bus machinery is left untouched.
class PowerEvents : public QObject {
  Q_OBJECT

 public:
  explicit PowerEvents(QObject* parent = nullptr);

 signals:
  void Suspending();
  void Resumed();

 private slots:
  void OnPrepareForSleep(bool suspending);
};

}  // namespace korva
