#include "desktop/sleep_inhibitor.h"

#include <QCoreApplication>
#include "common/app_identity.h"

#include "common/log.h"
#include "desktop/session_bus.h"
#include "media/media_component.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QTimer>
#include <QVariantMap>

namespace {
const char kReason[] = QT_TRANSLATE_NOOP("SleepInhibitor", "Playing music");
const char kPortal[] = "org.freedesktop.portal.Desktop";
constexpr uint32_t kSuspend = 4;  // the portal's flag for suspending
constexpr int kReleaseAfterMs = 500;

}  // namespace

SleepInhibitor::SleepInhibitor(MediaComponent& media, QObject* parent) : QObject(parent), media_(media) {
    release_ = new QTimer(this);
    release_->setSingleShot(true);
    release_->setInterval(kReleaseAfterMs);
    connect(release_, &QTimer::timeout, this, &SleepInhibitor::Release);
    connect(&media_, &MediaComponent::stateChanged, this, &SleepInhibitor::StateChanged);
}

SleepInhibitor::~SleepInhibitor() {
    // The program ends: the portal's request is closed before it does (a
    // message only queued might never leave).
    if (!portalHandle_.isEmpty())
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QString::fromLatin1(kPortal), portalHandle_,
                                           QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close")),
            QDBus::Block, 1000);
}

void SleepInhibitor::StateChanged() {
    if (media_.state() == MediaComponent::State::Playing) {
        release_->stop();
        if (!wanted_) Acquire();
    } else if (wanted_ && !release_->isActive()) {
        release_->start();
    }
}

void SleepInhibitor::Acquire() {
    wanted_ = true;
    if (held() || asking_) return;
    asking_ = true;
    if (!HaveSessionBus()) {
        AcquireFromLogind();
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kPortal), QStringLiteral("/org/freedesktop/portal/desktop"),
                                       QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    call << QString() << kSuspend
         << QVariantMap{{QStringLiteral("reason"), QCoreApplication::translate("SleepInhibitor", kReason)}};
    CallAsync(QDBusConnection::sessionBus(), call, this, [this](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            qCInfo(lcDesktop) << "no inhibitor from the portal:" << reply.errorMessage();
            AcquireFromLogind();
            return;
        }
        asking_ = false;
        portalHandle_ = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
        if (!wanted_) Release();  // playing ended while it was asked for
    });
}

void SleepInhibitor::AcquireFromLogind() {
    const QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) {
        asking_ = false;
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("idle") << QString::fromLatin1(kAppName)
         << QCoreApplication::translate("SleepInhibitor", kReason) << QStringLiteral("block");
    CallAsync(system, call, this, [this](const QDBusMessage& reply) {
        asking_ = false;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            qCInfo(lcDesktop) << "no inhibitor from logind:" << reply.errorMessage();
            return;
        }
        logindLock_ = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
        if (!wanted_) Release();
    });
}

void SleepInhibitor::Release() {
    wanted_ = false;
    if (!portalHandle_.isEmpty()) {
        QDBusConnection::sessionBus().asyncCall(
            QDBusMessage::createMethodCall(QString::fromLatin1(kPortal), portalHandle_,
                                           QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close")));
        portalHandle_.clear();
    }
    // Closing the descriptor ends logind's lock.
    logindLock_ = QDBusUnixFileDescriptor();
}
