#pragma once
// The playlist as the window keeps it: loaded from "FileListing.dat" at
// start-up, saved after the commands that change what is stored, and entries
// added within the playlist's limit. What the user must be told comes back
// as the one message to show (the empty text: nothing to tell).
#include <QString>
#include <string>
#include <vector>

#include "playlist/playlist_formats.h"

class PlaylistModel;

class StoredPlaylist {
public:
    explicit StoredPlaylist(PlaylistModel& list) : list_(list) {}

    // Reads the stored playlist when there is one. A file that cannot be
    // read is said once and is then never overwritten in this session.
    QString Load();
    // Writes the whole playlist to the stored playlist; on a failure the
    // playlist in the window is kept and the message says why.
    QString Save();

private:
    PlaylistModel& list_;
    bool unreadable_ = false;
};

// Adds entries, each at its sorted place; those past the playlist's limit
// and names holding a line break (they cannot be stored one per line) are
// refused. Returns the one message that says how many were not added, with
// what playlists read before named but could not give (`skipped`).
QString AddWithinLimit(PlaylistModel& list, const std::vector<std::string>& entries,
                       const SkippedEntries& skipped = {});
