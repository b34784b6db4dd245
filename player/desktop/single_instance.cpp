#include "desktop/single_instance.h"
#include "common/app_identity.h"

#include "common/file_util.h"
#include "common/log.h"
#include "desktop/session_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QTimer>

const char* const kInstanceServiceName = kAppId;

namespace {
const char kObjectPath[] = "/org/corvalle/Mp3Player";
}  // namespace

InstanceService::InstanceService(OpenFunction open, QObject* parent) : QObject(parent), open_(std::move(open)) {
    qDBusRegisterMetaType<QByteArrayList>();
}

InstanceService::~InstanceService() {
    if (registered_) Withdraw(QString::fromLatin1(kObjectPath), QString::fromLatin1(kInstanceServiceName));
}

InstanceService::Claim InstanceService::ClaimName() {
    if (registered_) return Claim::Ours;
    if (!HaveSessionBus()) return Claim::NoBus;
    // The object first, then the name without queueing: whoever sees the
    // name taken can call Open at once, and of any number of starts exactly
    // one gets the name.
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString path = QString::fromLatin1(kObjectPath);
    if (!bus.registerObject(path, this, QDBusConnection::ExportAllSlots)) {
        qCInfo(lcDesktop) << "one window:" << path << "could not be registered:" << bus.lastError().message();
        return Claim::NoBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        QString::fromLatin1(kInstanceServiceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        registered_ = true;
        return Claim::Ours;
    }
    bus.unregisterObject(path);
    if (reply.isValid()) return Claim::Taken;
    qCInfo(lcDesktop) << "one window: the name could not be asked for:" << reply.error().message();
    return Claim::NoBus;
}

void InstanceService::setOpen(OpenFunction open) {
    open_ = std::move(open);
    if (!waiting_.empty()) QTimer::singleShot(0, this, &InstanceService::OpenWaiting);
}

void InstanceService::Open(const QByteArrayList& paths) {
    std::vector<std::string> files;
    for (const QByteArray& p : paths)
        if (!p.isEmpty()) files.push_back(p.toStdString());
    waiting_.push_back(std::move(files));
    // The reply goes out when this returns; the files are opened after it.
    QTimer::singleShot(0, this, &InstanceService::OpenWaiting);
}

void InstanceService::OpenWaiting() {
    if (!open_ || waiting_.empty()) return;
    if (busy && busy()) {
        QTimer::singleShot(250, this, &InstanceService::OpenWaiting);
        return;
    }
    std::vector<std::vector<std::string>> batches;
    batches.swap(waiting_);
    for (const auto& files : batches) open_(files);
}

namespace {
// Hands the files over; the error name of the failure, empty when they were
// taken.
QString HandOver(const std::vector<std::string>& files, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    qDBusRegisterMetaType<QByteArrayList>();
    QByteArrayList paths;
    for (const std::string& f : files) paths << QByteArray::fromStdString(f);
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kInstanceServiceName), QString::fromLatin1(kObjectPath),
                                       QString::fromLatin1(kInstanceServiceName), QStringLiteral("Open"));
    call << QVariant::fromValue(paths);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return QString();
    qCInfo(lcDesktop) << "the running player did not take the files:" << reply.errorMessage();
    return reply.errorName().isEmpty() ? QStringLiteral("unknown") : reply.errorName();
}

// A player that is still starting (a long stored playlist, say) answers once
// its window is up; one that has not answered by then is taken as hung.
constexpr int kHandOverMs = 25000;
}  // namespace

bool HandToRunningPlayer(const std::vector<std::string>& files) {
    if (!HaveSessionBus()) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(kInstanceServiceName))) return false;
    return HandOver(files, kHandOverMs).isEmpty();
}

bool HandOverOrClaim(InstanceService& instance, const std::vector<std::string>& files) {
    QElapsedTimer waited;
    waited.start();
    // A holder that goes away before it answers leaves the name free: claim
    // it again. One that does not answer is not asked twice.
    for (int attempt = 0; attempt < 5 && waited.elapsed() < kHandOverMs; ++attempt) {
        if (instance.ClaimName() != InstanceService::Claim::Taken) return false;
        const QString failure = HandOver(files, static_cast<int>(kHandOverMs - waited.elapsed()));
        if (failure.isEmpty()) return true;
        if (failure == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
            failure == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
            return false;
    }
    return false;
}

std::vector<std::string> FilesFromCommandLine(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '\0') files.push_back(AbsolutePath(argv[i]));
    return files;
}
