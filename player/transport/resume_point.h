#pragma once
// "Resume on Start": where the player was, kept in
// $XDG_STATE_HOME/corvalle-mp3-player/resume (by default under
// ~/.local/state), three lines: "playing" or "paused", the seconds heard,
// the file's path (its bytes). Replaced atomically; removed when nothing
// plays. A missing, unreadable or garbage file is no point to go on from.
#include <QObject>
#include <QString>
#include <optional>
#include <string>

class MediaComponent;
class QTimer;
class Transport;

struct ResumePoint {
    std::string path;
    double seconds = 0;
    bool paused = false;
};

QString DefaultResumeFile();
std::optional<ResumePoint> ReadResumePoint(const QString& file);
// Writes `point`, or removes the file for none. False when it could not be
// written (the old file stays whole then).
bool WriteResumePoint(const QString& file, const std::optional<ResumePoint>& point);

// Keeps the point while the player runs: when the state or the file
// changes (a pause, a new track), every 30 s while playing, and when the
// program ends (before the component stops), so a killed player loses at
// most 30 s of it.
class ResumeKeeper : public QObject {
    Q_OBJECT
public:
    ResumeKeeper(MediaComponent& media, Transport& transport, QString file, QObject* parent = nullptr);
    // The point of the component now (none while stopped), written.
    void Save();
    // Off, nothing is written (the preference is off).
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

private:
    void Keep(const std::optional<ResumePoint>& point);  // written, or told on the log

    MediaComponent& media_;
    QString file_;
    QTimer* timer_;
    bool ended_ = false;  // the program is ending: the point is kept as it was then
    bool enabled_ = true;
};
