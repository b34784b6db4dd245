#pragma once
// What the desktop's media controls show of a file: its title, artist, album
// and cover picture. (The window's information line keeps to the ID3v1 tag.)
#include <QString>
#include <string>

struct TrackInfo {
    QString title;
    QString artist;
    QString album;
    std::string coverPath;  // a picture file, or empty
};

// From the file's ID3v2 tag (through TagLib), whose front cover (or first
// picture) is written once into `coverFolder` (made when needed) under a
// name taken from the file's path; what it leaves empty from the ID3v1 tag.
// The title falls back to the file's name. Anything that is not a regular
// file, or cannot be read, gives the file's name and nothing else.
TrackInfo ReadTrackInfo(const std::string& path, const std::string& coverFolder);
// ReadTrackInfo off the caller's thread: a file that does not answer within
// kFileDeadline (a stalled share) gives its name and nothing else.
TrackInfo ReadTrackInfoWithin(const std::string& path, const std::string& coverFolder);
