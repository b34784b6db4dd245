#include "single_instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <cstdlib>
#include <unistd.h>

const char* const kInstanceServiceName = "org.corvalle.Mp3Player";

namespace {
const char kObjectPath[] = "/org/corvalle/Mp3Player";

bool HaveSessionBus() {
    // Without an address there is no session; do not let the bus library try
    // to start one.
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && QDBusConnection::sessionBus().isConnected();
}
}  // namespace

InstanceService::InstanceService(std::function<void(const std::vector<std::string>&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    qDBusRegisterMetaType<QByteArrayList>();
}

InstanceService::~InstanceService() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QString::fromLatin1(kInstanceServiceName));
    bus.unregisterObject(QString::fromLatin1(kObjectPath));
}

bool InstanceService::Register() {
    if (!HaveSessionBus()) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAllSlots)) return false;
    if (!bus.registerService(QString::fromLatin1(kInstanceServiceName))) {
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return false;
    }
    registered_ = true;
    return true;
}

void InstanceService::Open(const QByteArrayList& paths) {
    std::vector<std::string> files;
    for (const QByteArray& p : paths)
        if (!p.isEmpty()) files.push_back(p.toStdString());
    if (open_) open_(files);
}

bool HandToRunningPlayer(const std::vector<std::string>& files) {
    if (!HaveSessionBus()) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(kInstanceServiceName))) return false;
    qDBusRegisterMetaType<QByteArrayList>();
    QByteArrayList paths;
    for (const std::string& f : files) paths << QByteArray::fromStdString(f);
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kInstanceServiceName),
                                                       QString::fromLatin1(kObjectPath),
                                                       QString::fromLatin1(kInstanceServiceName), QStringLiteral("Open"));
    call << QVariant::fromValue(paths);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

std::vector<std::string> FilesFromCommandLine(int argc, char** argv) {
    std::vector<std::string> files;
    std::string cwd;
    for (int i = 1; i < argc; ++i) {
        std::string path = argv[i];
        if (path.empty()) continue;
        if (path[0] != '/') {
            if (cwd.empty()) {
                char* here = ::getcwd(nullptr, 0);
                cwd = here ? here : "/";
                std::free(here);
            }
            path = (cwd == "/" ? cwd : cwd + "/") + path;
        }
        files.push_back(path);
    }
    return files;
}
