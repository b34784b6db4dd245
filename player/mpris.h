#pragma once
// Media keys and desktop controls: the MPRIS2 interfaces on the session bus
// as org.mpris.MediaPlayer2.corvalle. Each call runs the same command as the
// window's labels. Without a session bus nothing is registered and nothing
// is said.
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

class frmMain;

extern const char* const kMprisServiceName;  // "org.mpris.MediaPlayer2.corvalle"

class MprisService : public QObject {
    Q_OBJECT
public:
    explicit MprisService(frmMain* window);
    ~MprisService() override;
    // Registers on the session bus; false (silently) when there is none.
    bool Register();

    frmMain* window() const { return window_; }
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qlonglong PositionMicroseconds() const;

    // The title and artist of a file's tag, as display texts (empty when
    // the file has none).
    static std::function<QStringList(const std::string& path)> ReadTitleArtist;

private:
    void NotifyChanged();
    frmMain* window_;
    bool registered_ = false;
    QString lastStatus_;
    QVariantMap lastMetadata_;
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
    QString DesktopEntry() const { return QStringLiteral("corvalle-mp3-player"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

public slots:
    void Raise();
    void Quit();

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
    Q_PROPERTY(bool CanGoNext READ CanControl)
    Q_PROPERTY(bool CanGoPrevious READ CanControl)
    Q_PROPERTY(bool CanPlay READ CanControl)
    Q_PROPERTY(bool CanPause READ CanControl)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(MprisService* service);
    QString PlaybackStatus() const { return service_->PlaybackStatus(); }
    double Rate() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const { return service_->Metadata(); }
    double Volume() const { return 1.0; }
    void SetVolume(double) {}
    qlonglong Position() const { return service_->PositionMicroseconds(); }
    bool CanControl() const { return true; }
    bool CanSeek() const { return false; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& track, qlonglong position);
    void OpenUri(const QString& uri);

signals:
    void Seeked(qlonglong position);

private:
    MprisService* service_;
};
