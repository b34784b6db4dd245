#pragma once
// What the player's services on the session bus share.
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

// True when this session has a bus to join. Without an address there is no
// session: the bus library is not let try to start one.
bool HaveSessionBus();

// org.freedesktop.DBus.Properties.PropertiesChanged for `interface` of the
// object at `path`: the changed properties with their new values.
QDBusMessage PropertiesChanged(const QString& path, const QString& interface, const QVariantMap& changed);
