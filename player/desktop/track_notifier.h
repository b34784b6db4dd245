#pragma once
// A desktop notification (org.freedesktop.Notifications) at every change of
// track while playing: the title and artist as the desktop's controls show
// them, the album in the body, the cover as its image. Each replaces the one
// before, so they never pile up. Without a notification server nothing
// happens. CORVALLE_NOTIFICATIONS=0 in the environment turns them off. Also
// one when the output chosen is not there and the default plays instead.
#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

#include "tags/track_info.h"

class MediaComponent;

class TrackNotifier : public QObject {
    Q_OBJECT
public:
    // `info` gives what the desktop's controls show of the file playing.
    TrackNotifier(MediaComponent& media, std::function<TrackInfo()> info, QObject* parent = nullptr);
    // False when the environment turns notifications off.
    static bool Wanted();

private:
    void StateChanged();
    void Notify(const TrackInfo& info);
    void NotifyOutputMissing(const QString& output);

    MediaComponent& media_;
    std::function<TrackInfo()> info_;
    std::string told_;       // the file last told
    uint32_t replaces_ = 0;  // the id of the notification shown last
    bool asking_ = false;    // a notification is on its way: its id is not known yet
    bool newer_ = false;     // a track came meanwhile, told once the id is known
};
