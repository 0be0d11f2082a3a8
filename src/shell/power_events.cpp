#include "shell/power_events.h"

#include <QDBusConnection>
#include <QFile>

namespace korva {

PowerEvents::PowerEvents(QObject* parent) : QObject(parent) {
  if (!QFile::exists(QStringLiteral("/run/dbus/system_bus_socket")) &&
      !qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS")) {
    return;
  }
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
              QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
              SLOT(OnPrepareForSleep(bool)));
}

void PowerEvents::OnPrepareForSleep(bool suspending) {
  if (suspending) {
    emit Suspending();
  } else {
    emit Resumed();
  }
}

}  // namespace korva
