#include "desktop/session_bus.h"

#include "common/log.h"

#include <QDBusError>
#include <QStringList>

bool HaveSessionBus() {
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && QDBusConnection::sessionBus().isConnected();
}

bool Offer(QObject* object, const QString& path, const QString& name, QDBusConnection::RegisterOptions options) {
    if (!HaveSessionBus()) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(path, object, options)) {
        qCInfo(lcDesktop) << path << "could not be registered:" << bus.lastError().message();
        return false;
    }
    if (!bus.registerService(name)) {
        qCInfo(lcDesktop) << "the name" << name << "could not be taken:" << bus.lastError().message();
        bus.unregisterObject(path);
        return false;
    }
    return true;
}

void Withdraw(const QString& path, const QString& name) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(name);
    bus.unregisterObject(path);
}

QDBusMessage PropertiesChanged(const QString& path, const QString& interface, const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    return signal;
}
