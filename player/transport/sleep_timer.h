#pragma once
// The sleep timer: once the minutes chosen have passed, the sound fades out
// over ten seconds (in the player's own sound, not the master volume, so
// nothing else on the desktop fades) and the player pauses; Play resumes at
// the full level. Off at every start, never stored; a choice replaces the
// one before.
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

class MediaComponent;

class SleepTimer : public QObject {
    Q_OBJECT
public:
    static constexpr int kFadeSeconds = 10;
    // `minute`: how long a minute of it lasts (tests shorten it).
    explicit SleepTimer(MediaComponent& media, std::chrono::milliseconds minute = std::chrono::minutes(1),
                        QObject* parent = nullptr);
    // 0 turns it off.
    void setMinutes(int minutes);
    // The choice running, 0 when off.
    int minutes() const { return minutes_; }
    // Whole minutes left, rounded up; 0 when off.
    int minutesLeft() const;

signals:
    void changed();

private:
    void expire();

    MediaComponent& media_;
    QTimer timer_;
    QTimer fallback_;  // pauses what still plays once the fade is over
    const std::chrono::milliseconds minute_;
    QDeadlineTimer until_;
    int minutes_ = 0;
};
