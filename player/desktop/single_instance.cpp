#include "desktop/single_instance.h"

#include "common/file_util.h"
#include "common/log.h"
#include "desktop/session_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

const char* const kInstanceServiceName = "org.corvalle.Mp3Player";

namespace {
const char kObjectPath[] = "/org/corvalle/Mp3Player";
}  // namespace

InstanceService::InstanceService(std::function<void(const std::vector<std::string>&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    qDBusRegisterMetaType<QByteArrayList>();
}

InstanceService::~InstanceService() {
    if (registered_) Withdraw(QString::fromLatin1(kObjectPath), QString::fromLatin1(kInstanceServiceName));
}

bool InstanceService::Register() {
    registered_ = Offer(this, QString::fromLatin1(kObjectPath), QString::fromLatin1(kInstanceServiceName),
                        QDBusConnection::ExportAllSlots);
    return registered_;
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
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kInstanceServiceName), QString::fromLatin1(kObjectPath),
                                       QString::fromLatin1(kInstanceServiceName), QStringLiteral("Open"));
    call << QVariant::fromValue(paths);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    qCInfo(lcDesktop) << "the running player did not take the files:" << reply.errorMessage();
    return false;
}

std::vector<std::string> FilesFromCommandLine(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '\0') files.push_back(AbsolutePath(argv[i]));
    return files;
}
