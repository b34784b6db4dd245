#include "desktop/track_notifier.h"
#include "common/app_identity.h"

#include "common/log.h"
#include "desktop/session_bus.h"
#include "media/media_component.h"

#include <QUrl>
#include <QVariantMap>

namespace {
const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
}  // namespace

TrackNotifier::TrackNotifier(MediaComponent& media, std::function<TrackInfo()> info, QObject* parent)
    : QObject(parent), media_(media), info_(std::move(info)) {
    connect(&media_, &MediaComponent::stateChanged, this, &TrackNotifier::StateChanged);
    connect(&media_, &MediaComponent::outputNotice, this, [this](AudioOutput::Notice what, const QString& output) {
        if (what != AudioOutput::Notice::Back) NotifyOutputMissing(output);
    });
}

// The output chosen is not there: told once, apart from the tracks'.
void TrackNotifier::NotifyOutputMissing(const QString& output) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QString::fromLatin1(kAppId)},
                            {QStringLiteral("category"), QStringLiteral("device.removed")}};
    call << AppTitle() << uint32_t(0) << QString::fromLatin1(kAppId) << tr("The sound plays on the default output")
         << tr("%1 is not there.").arg(output).toHtmlEscaped() << QStringList() << hints << int32_t(-1);
    CallAsync(QDBusConnection::sessionBus(), call, this, [](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage) qCInfo(lcDesktop) << "no notification:" << reply.errorMessage();
    });
}

bool TrackNotifier::Wanted() { return qEnvironmentVariable("CORVALLE_NOTIFICATIONS") != QLatin1String("0"); }

void TrackNotifier::StateChanged() {
    if (media_.state() != MediaComponent::State::Playing) return;
    const std::string file = media_.fileName();
    if (file.empty() || file == told_) return;
    told_ = file;
    if (!HaveSessionBus()) return;
    // Until the server has said the id of the one on its way, a new one
    // could not replace it: the newest track is told after.
    if (asking_) {
        newer_ = true;
        return;
    }
    Notify(info_());
}

void TrackNotifier::Notify(const TrackInfo& info) {
    QString summary = info.title;
    if (!info.artist.isEmpty()) summary += QStringLiteral(" \u2013 ") + info.artist;
    QVariantMap hints{{QStringLiteral("desktop-entry"), QString::fromLatin1(kAppId)},
                      {QStringLiteral("category"), QStringLiteral("x-corvalle.track")}};
    if (!info.coverPath.empty())
        hints.insert(QStringLiteral("image-path"),
                     QUrl::fromLocalFile(QString::fromLocal8Bit(info.coverPath.c_str())).toString());
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    call << AppTitle() << replaces_ << QString::fromLatin1(kAppId) << summary << info.album.toHtmlEscaped()
         << QStringList() << hints << int32_t(-1);
    // Never waited for: a server that is slow or absent holds nothing up.
    asking_ = true;
    CallAsync(QDBusConnection::sessionBus(), call, this, [this](const QDBusMessage& reply) {
        asking_ = false;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            replaces_ = reply.arguments().constFirst().toUInt();
        else
            qCInfo(lcDesktop) << "no notification:" << reply.errorMessage();
        if (newer_ && media_.state() == MediaComponent::State::Playing) {
            newer_ = false;
            Notify(info_());
        }
        newer_ = false;
    });
}
