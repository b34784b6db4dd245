#pragma once
// What the player's services on the session bus share.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>
#include <functional>

// True when this session has a bus to join. Without an address there is no
// session: the bus library is not let try to start one.
bool HaveSessionBus();

// Offers `object` at `path` under the well-known name `name`. False when
// there is no session bus, or the path or the name is taken (logged).
bool Offer(QObject* object, const QString& path, const QString& name, QDBusConnection::RegisterOptions options);
// Takes back what Offer gave.
void Withdraw(const QString& path, const QString& name);

// Sends `call` on `bus` without waiting; `done` receives the reply (or the
// error) on `owner`'s thread, unless `owner` is gone by then.
void CallAsync(const QDBusConnection& bus, const QDBusMessage& call, QObject* owner,
               std::function<void(const QDBusMessage&)> done);

// org.freedesktop.DBus.Properties.PropertiesChanged for `interface` of the
// object at `path`: the changed properties with their new values.
QDBusMessage PropertiesChanged(const QString& path, const QString& interface, const QVariantMap& changed);
