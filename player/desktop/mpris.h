#pragma once
// Media keys and desktop controls: the MPRIS2 interfaces on the session bus
// as org.mpris.MediaPlayer2.corvalle, driving the Transport (never the
// window). While one of the player's modal windows is open (a message box,
// the folder search, the tag editor) the commands are refused with a D-Bus
// error instead of opening more. Without a session bus nothing is registered
// and nothing is said.
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <string>

#include "common/app_identity.h"
#include "tags/track_info.h"

class MediaComponent;
class Transport;

extern const char* const kMprisServiceName;  // "org.mpris.MediaPlayer2.corvalle"

class MprisService : public QObject {
    Q_OBJECT
public:
    MprisService(Transport& transport, MediaComponent& media, QObject* parent = nullptr);
    ~MprisService() override;
    // Registers on the session bus; false (silently) when there is none.
    bool Register();

    // What the composition root wires in: the window's raise and quit,
    // whether one of the player's modal windows is open, and the window's
    // volume (0 to 100; a write is one completed change).
    std::function<void()> raise;
    std::function<void()> quit;
    std::function<bool()> busy;
    std::function<int()> readVolume;
    std::function<void(int percent)> writeVolume;
    // Where the covers of ID3v2 tags are kept.
    std::string coverFolder;

    Transport& transport() { return transport_; }
    MediaComponent& media() { return media_; }
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qlonglong PositionMicroseconds() const;
    double Volume() const;
    void SetVolume(double volume);
    // Shuffle is random mode.
    bool Shuffle() const;
    void SetShuffle(bool on);
    // LoopStatus is the repeat choice: "Playlist" (repeat list), "Track",
    // "None" (no repeat). Another value is ignored.
    QString LoopStatus() const;
    void SetLoopStatus(const QString& status);
    // Next, Previous and Play have an entry to go to (the list is not empty).
    bool CanGo() const;
    // A seek has somewhere to go: the length is known.
    bool CanSeek() const;
    // What the controls show of the file loaded now, as read when it was
    // loaded (nothing is read here).
    TrackInfo CurrentInfo() const;
    // The track id of the file loaded now (NoTrack with none).
    QDBusObjectPath TrackId() const;

    // Tells the bus that the volume changed (the slider moved).
    void VolumeChanged();
    // Runs a command from the bus: refused with an error reply while a modal
    // window is open; otherwise run from the event loop, like a click, so a
    // box it opens does not hold the reply up.
    void Command(const QDBusMessage& message, std::function<void()> command);
    // Moves the playing or paused file to `seconds` and says so (Seeked);
    // past its end it acts as Next. Nothing while stopped.
    void SeekTo(double seconds);

signals:
    void Seeked(qlonglong position);

private:
    // Reads what the controls show of a newly loaded file (within the file
    // deadline) and removes the cover of the file before.
    void FollowTrack();
    // Tells the bus what changed of the properties that change by themselves.
    void NotifyChanged();
    QVariantMap ChangingProperties() const;
    Transport& transport_;
    MediaComponent& media_;
    bool registered_ = false;
    QVariantMap last_;      // the changing properties as last told
    std::string infoPath_;  // the file whose track info is held
    TrackInfo info_;
};

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService* service);
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const;
    QString DesktopEntry() const { return QString::fromLatin1(kAppId); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    // MP3 files and the playlists that stand for them (read as in playlist/playlist_formats.h).
    QStringList SupportedMimeTypes() const {
        return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-mpegurl"), QStringLiteral("audio/mpegurl"),
                QStringLiteral("application/vnd.apple.mpegurl"), QStringLiteral("audio/x-scpls")};
    }

public slots:
    void Raise();
    void Quit(const QDBusMessage& message);

private:
    MprisService* service_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(bool CanGoNext READ CanGo)
    Q_PROPERTY(bool CanGoPrevious READ CanGo)
    Q_PROPERTY(bool CanPlay READ CanGo)
    Q_PROPERTY(bool CanPause READ CanControl)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(MprisService* service);
    QString PlaybackStatus() const { return service_->PlaybackStatus(); }
    double Rate() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const { return service_->Metadata(); }
    double Volume() const { return service_->Volume(); }
    void SetVolume(double volume) { service_->SetVolume(volume); }
    qlonglong Position() const { return service_->PositionMicroseconds(); }
    bool CanControl() const { return true; }
    bool Shuffle() const { return service_->Shuffle(); }
    void SetShuffle(bool on) { service_->SetShuffle(on); }
    QString LoopStatus() const { return service_->LoopStatus(); }
    void SetLoopStatus(const QString& status) { service_->SetLoopStatus(status); }
    bool CanGo() const { return service_->CanGo(); }
    bool CanSeek() const { return service_->CanSeek(); }

public slots:
    void Play(const QDBusMessage& message);
    void Pause(const QDBusMessage& message);
    void PlayPause(const QDBusMessage& message);
    void Stop(const QDBusMessage& message);
    void Next(const QDBusMessage& message);
    void Previous(const QDBusMessage& message);
    void Seek(qlonglong offset, const QDBusMessage& message);
    void SetPosition(const QDBusObjectPath& track, qlonglong position, const QDBusMessage& message);
    void OpenUri(const QString& uri, const QDBusMessage& message);

signals:
    void Seeked(qlonglong position);

private:
    MprisService* service_;
};
