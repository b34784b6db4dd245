#include "desktop/session_bus.h"

#include "common/log.h"

#include <QDBusError>
#include <QDBusPendingCallWatcher>
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

void CallAsync(const QDBusConnection& bus, const QDBusMessage& call, QObject* owner,
               std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [done = std::move(done)](QDBusPendingCallWatcher* w) {
                         done(w->reply());
                         w->deleteLater();
                     });
}

QDBusMessage PropertiesChanged(const QString& path, const QString& interface, const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    return signal;
}
