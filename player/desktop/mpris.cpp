#include "desktop/mpris.h"

#include "desktop/session_bus.h"
#include "media/media_component.h"
#include "playlist/dropped_paths.h"
#include "playlist/playlist_model.h"
#include "transport/transport.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <algorithm>
#include <cmath>

const char* const kMprisServiceName = "org.mpris.MediaPlayer2.corvalle";

namespace {
const char kObjectPath[] = "/org/mpris/MediaPlayer2";
const char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
const char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

// A file address as its bytes percent-encoded, so that any name survives.
QString FileUrl(const std::string& path) {
    return QStringLiteral("file://") + QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/"));
}
}  // namespace

MprisService::MprisService(Transport& transport, MediaComponent& media, QObject* parent)
    : QObject(parent), transport_(transport), media_(media) {
    new MprisRootAdaptor(this);
    auto* player = new MprisPlayerAdaptor(this);
    connect(this, &MprisService::Seeked, player, &MprisPlayerAdaptor::Seeked);
    // Whatever changed it: the labels, the control bar, the end of a file, us.
    // A new file is read first, for the changes told and for whoever listens
    // after.
    connect(&media_, &MediaComponent::stateChanged, this, &MprisService::FollowTrack);
    connect(&media_, &MediaComponent::stateChanged, this, &MprisService::NotifyChanged);
    connect(&media_, &MediaComponent::lengthKnown, this, &MprisService::NotifyChanged);
    connect(&transport_, &Transport::randomModeChanged, this, &MprisService::NotifyChanged);
    connect(&transport_, &Transport::repeatChanged, this, &MprisService::NotifyChanged);
    const PlaylistModel& list = transport_.playlist();
    for (auto changed : {&PlaylistModel::rowsInserted, &PlaylistModel::rowsRemoved})
        connect(&list, changed, this, &MprisService::NotifyChanged);
    connect(&list, &PlaylistModel::modelReset, this, &MprisService::NotifyChanged);
}

MprisService::~MprisService() {
    if (registered_) Withdraw(QString::fromLatin1(kObjectPath), QString::fromLatin1(kMprisServiceName));
    if (!info_.coverPath.empty()) ::unlink(info_.coverPath.c_str());
}

bool MprisService::Register() {
    FollowTrack();  // a file loaded already
    if (!Offer(this, QString::fromLatin1(kObjectPath), QString::fromLatin1(kMprisServiceName),
               QDBusConnection::ExportAdaptors))
        return false;
    registered_ = true;
    last_ = ChangingProperties();
    return true;
}

QString MprisService::PlaybackStatus() const {
    switch (media_.state()) {
    case MediaComponent::State::Playing: return QStringLiteral("Playing");
    case MediaComponent::State::Paused: return QStringLiteral("Paused");
    case MediaComponent::State::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QDBusObjectPath MprisService::TrackId() const {
    const std::string path = media_.fileName();
    if (path.empty()) return QDBusObjectPath(QString::fromLatin1(kNoTrack));
    // The same for a file in every run: taken from its path.
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Md5);
    return QDBusObjectPath(QStringLiteral("/org/corvalle/track/") + QString::fromLatin1(digest.toHex()));
}

void MprisService::FollowTrack() {
    const std::string path = media_.fileName();
    if (path == infoPath_) return;
    TrackInfo info = path.empty() ? TrackInfo() : ReadTrackInfoWithin(path, coverFolder);
    // The cover of the track before is no longer shown.
    if (!info_.coverPath.empty() && info_.coverPath != info.coverPath) ::unlink(info_.coverPath.c_str());
    info_ = std::move(info);
    infoPath_ = path;
}

TrackInfo MprisService::CurrentInfo() const { return infoPath_ == media_.fileName() ? info_ : TrackInfo(); }

QVariantMap MprisService::Metadata() const {
    QVariantMap m;
    m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    const std::string path = media_.fileName();
    if (path.empty()) return m;
    m.insert(QStringLiteral("xesam:url"), FileUrl(path));
    const double length = media_.duration();
    if (length > 0) m.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(std::llround(length * 1e6)));
    const TrackInfo info = CurrentInfo();
    m.insert(QStringLiteral("xesam:title"), info.title);
    if (!info.artist.isEmpty()) m.insert(QStringLiteral("xesam:artist"), QStringList{info.artist});
    if (!info.album.isEmpty()) m.insert(QStringLiteral("xesam:album"), info.album);
    if (!info.coverPath.empty()) m.insert(QStringLiteral("mpris:artUrl"), FileUrl(info.coverPath));
    return m;
}

qlonglong MprisService::PositionMicroseconds() const {
    try {
        const double t = media_.currentPosition();
        return t > 0 ? static_cast<qlonglong>(std::llround(t * 1e6)) : 0;
    } catch (...) {
        return 0;
    }
}

double MprisService::Volume() const { return readVolume ? readVolume() / 100.0 : 1.0; }

void MprisService::SetVolume(double volume) {
    if (!writeVolume || !std::isfinite(volume)) return;
    writeVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void MprisService::VolumeChanged() {
    if (!registered_) return;
    QDBusConnection::sessionBus().send(PropertiesChanged(QString::fromLatin1(kObjectPath),
                                                         QString::fromLatin1(kPlayerInterface),
                                                         {{QStringLiteral("Volume"), Volume()}}));
}

bool MprisService::Shuffle() const { return transport_.RandomMode() != 0; }

void MprisService::SetShuffle(bool on) {
    if (on != Shuffle()) transport_.Random();
}

QString MprisService::LoopStatus() const {
    switch (transport_.repeat()) {
    case Preferences::Repeat::Track: return QStringLiteral("Track");
    case Preferences::Repeat::Off: return QStringLiteral("None");
    case Preferences::Repeat::List: break;
    }
    return QStringLiteral("Playlist");
}

void MprisService::SetLoopStatus(const QString& status) {
    if (status == QLatin1String("Playlist"))
        transport_.setRepeat(Preferences::Repeat::List);
    else if (status == QLatin1String("Track"))
        transport_.setRepeat(Preferences::Repeat::Track);
    else if (status == QLatin1String("None"))
        transport_.setRepeat(Preferences::Repeat::Off);
}

bool MprisService::CanGo() const { return transport_.playlist().count() > 0; }

bool MprisService::CanSeek() const { return media_.duration() > 0; }

QVariantMap MprisService::ChangingProperties() const {
    return {{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
            {QStringLiteral("Metadata"), Metadata()},
            {QStringLiteral("Shuffle"), Shuffle()},
            {QStringLiteral("LoopStatus"), LoopStatus()},
            {QStringLiteral("CanGoNext"), CanGo()},
            {QStringLiteral("CanGoPrevious"), CanGo()},
            {QStringLiteral("CanPlay"), CanGo()},
            {QStringLiteral("CanSeek"), CanSeek()}};
}

void MprisService::NotifyChanged() {
    if (!registered_) return;
    const QVariantMap now = ChangingProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (last_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    last_ = now;
    if (changed.isEmpty()) return;
    QDBusConnection::sessionBus().send(
        PropertiesChanged(QString::fromLatin1(kObjectPath), QString::fromLatin1(kPlayerInterface), changed));
}

void MprisService::Command(const QDBusMessage& message, std::function<void()> command) {
    if (busy && busy()) {
        message.setDelayedReply(true);
        QDBusConnection::sessionBus().send(
            message.createErrorReply(QStringLiteral("org.mpris.MediaPlayer2.corvalle.Error.Busy"),
                                     tr("A window of the player is open; close it first.")));
        return;
    }
    QTimer::singleShot(0, this, std::move(command));
}

void MprisService::SeekTo(double seconds) {
    if (media_.state() == MediaComponent::State::Stopped) return;
    // Past the end is the next track; a length still being measured (0) has
    // no end yet.
    if (media_.duration() > 0 && seconds > media_.duration()) {
        transport_.Next();
        return;
    }
    transport_.Seek(std::max(0.0, seconds));
    emit Seeked(PositionMicroseconds());
}

// ---- org.mpris.MediaPlayer2 ----------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisRootAdaptor::Identity() const { return AppTitle(); }

void MprisRootAdaptor::Raise() {
    if (service_->raise) service_->raise();
}

void MprisRootAdaptor::Quit(const QDBusMessage& message) {
    service_->Command(message, [this] {
        if (service_->quit) service_->quit();
    });
}

// ---- org.mpris.MediaPlayer2.Player -------------------------------------------------

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {
    setAutoRelaySignals(true);
}

void MprisPlayerAdaptor::Play(const QDBusMessage& message) {
    service_->Command(message, [this] { service_->transport().PlayOrResume(); });
}

void MprisPlayerAdaptor::Pause(const QDBusMessage& message) {
    service_->Command(message, [this] { service_->transport().Pause(); });
}

void MprisPlayerAdaptor::PlayPause(const QDBusMessage& message) {
    service_->Command(message, [this] { service_->transport().PlayPause(); });
}

void MprisPlayerAdaptor::Stop(const QDBusMessage& message) {
    service_->Command(message, [this] { service_->transport().Stop(); });
}

void MprisPlayerAdaptor::Next(const QDBusMessage& message) {
    service_->Command(message, [this] { service_->transport().Next(); });
}

void MprisPlayerAdaptor::Previous(const QDBusMessage& message) {
    service_->Command(message, [this] { service_->transport().Prev(); });
}

void MprisPlayerAdaptor::Seek(qlonglong offset, const QDBusMessage& message) {
    service_->Command(message, [this, offset] {
        service_->SeekTo(service_->media().currentPosition() + static_cast<double>(offset) / 1e6);
    });
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& track, qlonglong position, const QDBusMessage& message) {
    service_->Command(message, [this, track, position] {
        // A position for another track, or outside this one, is ignored.
        const double target = static_cast<double>(position) / 1e6;
        if (track != service_->TrackId() || target < 0 || target > service_->media().duration()) return;
        service_->SeekTo(target);
    });
}

void MprisPlayerAdaptor::OpenUri(const QString& uri, const QDBusMessage& message) {
    const std::vector<std::string> paths = LocalPathsFromUriList(uri.toUtf8());
    service_->Command(message, [this, paths] { service_->transport().Open(paths); });
}
