#include "desktop/track_notifier.h"

#include "common/log.h"
#include "desktop/session_bus.h"
#include "media/media_component.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>
#include <QVariantMap>

namespace {
const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
}  // namespace

TrackNotifier::TrackNotifier(MediaComponent& media, std::function<TrackInfo()> info, QObject* parent)
    : QObject(parent), media_(media), info_(std::move(info)) {
    connect(&media_, &MediaComponent::stateChanged, this, &TrackNotifier::StateChanged);
}

bool TrackNotifier::Wanted() { return qEnvironmentVariable("CORVALLE_NOTIFICATIONS") != QLatin1String("0"); }

void TrackNotifier::StateChanged() {
    if (media_.state() != MediaComponent::State::Playing) return;
    const std::string file = media_.fileName();
    if (file.empty() || file == told_) return;
    told_ = file;
    if (HaveSessionBus()) Notify(info_());
}

void TrackNotifier::Notify(const TrackInfo& info) {
    QString summary = info.title;
    if (!info.artist.isEmpty()) summary += QStringLiteral(" \u2013 ") + info.artist;
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.corvalle.Mp3Player")},
                      {QStringLiteral("category"), QStringLiteral("x-corvalle.track")}};
    if (!info.coverPath.empty())
        hints.insert(QStringLiteral("image-path"),
                     QUrl::fromLocalFile(QString::fromLocal8Bit(info.coverPath.c_str())).toString());
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    call << QStringLiteral("Corvalle's MP3 Player") << replaces_ << QStringLiteral("org.corvalle.Mp3Player")
         << summary << info.album << QStringList() << hints << int32_t(-1);
    // Never waited for: a server that is slow or absent holds nothing up.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint32_t> reply = *w;
        if (reply.isValid())
            replaces_ = reply.value();
        else
            qCInfo(lcDesktop) << "no notification:" << reply.error().message();
        w->deleteLater();
    });
}
