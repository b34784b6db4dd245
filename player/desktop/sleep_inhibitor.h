#pragma once
// No suspend while playing: while the component plays, one inhibitor is held
// through the desktop portal (org.freedesktop.portal.Inhibit, suspend) or,
// where there is no portal, through logind (Inhibit "idle", mode "block", on
// the system bus). It is released within a second once playing ends (pause,
// stop, a failure, the end of the program); the short wait lets the play-on
// from one file to the next keep it. Neither service present: playback goes
// on without one.
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class MediaComponent;
class QTimer;

class SleepInhibitor : public QObject {
    Q_OBJECT
public:
    explicit SleepInhibitor(MediaComponent& media, QObject* parent = nullptr);
    ~SleepInhibitor() override;
    bool held() const { return !portalHandle_.isEmpty() || logindLock_.isValid(); }

private:
    void StateChanged();
    void Acquire();
    void Release();
    void AcquireFromLogind();

    MediaComponent& media_;
    QTimer* release_ = nullptr;
    bool wanted_ = false;                 // playing: an inhibitor is held or on its way
    bool asking_ = false;                 // a request is on its way
    QString portalHandle_;                // the portal's request, closed to release
    QDBusUnixFileDescriptor logindLock_;  // logind's lock, closed to release
};
