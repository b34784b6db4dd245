#pragma once
// The composition root: the player's parts, each made once in the order the
// others need them, and the main window over them. Start-up makes one; the
// desktop's services are wired to its parts, never to the window's fields.
#include "playlist/playlist_model.h"
#include "playlist/stored_playlist.h"
#include "transport/transport.h"
#include "volume/volume_level.h"
#include "window/frm_main.h"

#include <memory>

class MediaComponent;

class Player {
public:
    // Takes the media player component: MediaPlayer, or a test's double.
    explicit Player(MediaComponent* media);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    const std::unique_ptr<MediaComponent> media;
    PlaylistModel playlist;
    StoredPlaylist stored{playlist};
    VolumeLevel volume{0};  // the window sets its designed level
    Transport transport{playlist, *media};
    frmMain window{{*media, playlist, stored, volume, transport}};  // made last, gone first
};
