#include "mpris.h"

#include "file_util.h"
#include "frm_main.h"
#include "media_component.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

const char* const kMprisServiceName = "org.mpris.MediaPlayer2.corvalle";

namespace {
const char kObjectPath[] = "/org/mpris/MediaPlayer2";
}

std::function<QStringList(const std::string&)> MprisService::ReadTitleArtist;

MprisService::MprisService(frmMain* window) : QObject(window), window_(window) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    connect(window_, &frmMain::playbackChanged, this, &MprisService::NotifyChanged);
}

MprisService::~MprisService() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        bus.unregisterService(QString::fromLatin1(kMprisServiceName));
    }
}

bool MprisService::Register() {
    // Without a bus address there is no session to join; do not let the
    // bus library try to start one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors)) return false;
    if (!bus.registerService(QString::fromLatin1(kMprisServiceName))) {
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return false;
    }
    registered_ = true;
    lastStatus_ = PlaybackStatus();
    lastMetadata_ = Metadata();
    return true;
}

QString MprisService::PlaybackStatus() const {
    return window_->IsPlaying() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QVariantMap MprisService::Metadata() const {
    QVariantMap m;
    std::string path = window_->MediaPlayer1->fileName();
    if (path.empty()) {
        m.insert(QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
        return m;
    }
    m.insert(QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/corvalle/track/%1").arg(qHash(QByteArray::fromStdString(path))))));
    m.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(PathToText(path)).toString());
    double length = window_->MediaPlayer1->duration();
    if (length > 0) m.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(length * 1e6));
    QStringList titleArtist;
    try {
        if (ReadTitleArtist) titleArtist = ReadTitleArtist(path);
    } catch (...) {
        titleArtist.clear();
    }
    if (titleArtist.size() == 2) {
        m.insert(QStringLiteral("xesam:title"), titleArtist[0]);
        m.insert(QStringLiteral("xesam:artist"), QStringList{titleArtist[1]});
    }
    return m;
}

qlonglong MprisService::PositionMicroseconds() const {
    try {
        double t = window_->MediaPlayer1->currentPosition();
        return t > 0 ? static_cast<qlonglong>(t * 1e6) : 0;
    } catch (...) {
        return 0;
    }
}

void MprisService::NotifyChanged() {
    if (!registered_) return;
    QVariantMap changed;
    QString status = PlaybackStatus();
    if (status != lastStatus_) changed.insert(QStringLiteral("PlaybackStatus"), status);
    QVariantMap metadata = Metadata();
    if (metadata != lastMetadata_) changed.insert(QStringLiteral("Metadata"), metadata);
    lastStatus_ = status;
    lastMetadata_ = metadata;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

// ---- org.mpris.MediaPlayer2 ----------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisRootAdaptor::Identity() const { return QStringLiteral("Corvalle's MP3 Player"); }

void MprisRootAdaptor::Raise() {
    service_->window()->show();
    service_->window()->raise();
    service_->window()->activateWindow();
}

// Commands arrive while the bus delivers a message; run them from the event
// loop, like a click, so a modal box they open does not stall the reply.
void MprisRootAdaptor::Quit() {
    QMetaObject::invokeMethod(service_->window(), "lblExit_Click", Qt::QueuedConnection);
}

// ---- org.mpris.MediaPlayer2.Player -------------------------------------------------

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {
    setAutoRelaySignals(true);
}

void MprisPlayerAdaptor::Play() {
    QMetaObject::invokeMethod(service_->window(), "lblPlay_Click", Qt::QueuedConnection);
}
void MprisPlayerAdaptor::Pause() {
    QMetaObject::invokeMethod(service_->window(), "lblStop_Click", Qt::QueuedConnection);
}
void MprisPlayerAdaptor::PlayPause() {
    const char* command = service_->window()->IsPlaying() ? "lblStop_Click" : "lblPlay_Click";
    QMetaObject::invokeMethod(service_->window(), command, Qt::QueuedConnection);
}
void MprisPlayerAdaptor::Stop() {
    QMetaObject::invokeMethod(service_->window(), "lblStop_Click", Qt::QueuedConnection);
}
void MprisPlayerAdaptor::Next() {
    QMetaObject::invokeMethod(service_->window(), "lblNext_Click", Qt::QueuedConnection);
}
void MprisPlayerAdaptor::Previous() {
    QMetaObject::invokeMethod(service_->window(), "lblPrev_Click", Qt::QueuedConnection);
}
void MprisPlayerAdaptor::Seek(qlonglong) {}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath&, qlonglong) {}
void MprisPlayerAdaptor::OpenUri(const QString&) {}
