#include "desktop/session_bus.h"

#include <QDBusConnection>
#include <QStringList>

bool HaveSessionBus() {
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && QDBusConnection::sessionBus().isConnected();
}

QDBusMessage PropertiesChanged(const QString& path, const QString& interface, const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    return signal;
}
