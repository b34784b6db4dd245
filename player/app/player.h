#pragma once
// The composition root: the player's parts, each made once in the order the
// others need them, and the main window over them. Start-up makes one; the
// desktop's services are wired to its parts, never to the window's fields.
#include "playlist/playlist_model.h"
#include "playlist/stored_playlist.h"
#include "settings/preferences.h"
#include "transport/sleep_timer.h"
#include "transport/transport.h"
#include "volume/volume_level.h"
#include "window/frm_main.h"

#include <memory>

class MediaComponent;

class Player {
public:
    // Takes the media player component: MediaPlayer, or a test's double;
    // the preferences are read from `preferencesFile`; the volume is set by
    // `mixer` (none: the system's).
    Player(MediaComponent* media, const QString& preferencesFile, VolumeSetter::Apply mixer = nullptr);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    const std::unique_ptr<MediaComponent> media;
    Preferences preferences;
    PlaylistModel playlist;
    StoredPlaylist stored{playlist};
    VolumeLevel volume{0};  // the window sets its designed level
    Transport transport{playlist, *media};
    SleepTimer sleepTimer{*media};
    const VolumeSetter::Apply mixer;
    frmMain window{
        {*media, playlist, stored, volume, transport, preferences, sleepTimer, mixer}};  // made last, gone first
};

// "Resume on Start": when it is on and the player started without files to
// open, the file of the point kept in `file` is selected (by its path) and
// plays on from there, or comes back paused there; a point that is gone, not
// in the list or unreadable is passed over without a word. From then on the
// point is kept (ResumeKeeper) while the preference is on.
void ResumeWhereStopped(Player& player, bool nothingOpened, const QString& file);
