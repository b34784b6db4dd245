#pragma once
// The player's commands, without a window: Play, Stop, Next, Prev and random
// mode over the playlist and the media component, the play-on at the end of
// a file, pause and seek for the desktop's controls, and files opened from
// outside. It selects entries through the playlist's current row, whose
// selection handler has rebuilt the information line before a command goes
// on. It shows nothing itself: a failure leaves it as the signal `failed`
// (the window shows the error box, inside the command), other news as
// `message`. The window's labels, the desktop's media keys and the command
// line drive the player through it. The component's own control bar
// (play/pause, stop, seek) drives the component directly, as a component's
// controls do; the end of a file played from there runs the play-on as any
// other.
#include <QObject>
#include <cstdint>
#include <string>
#include <vector>

#include "media/media_component.h"
#include "playlist/playlist_formats.h"
#include "settings/preferences.h"
#include "transport/randomizer.h"

class PlaylistModel;

class Transport : public QObject {
    Q_OBJECT
public:
    Transport(PlaylistModel& playlist, MediaComponent& media, QObject* parent = nullptr);

    // Random mode: 0 off, -1 on. Off at every start, never stored.
    int16_t RandomMode() const { return randomMode_; }
    // The Random command: switches random mode.
    void Random();
    // A whole number in 0 .. TheListSize - 1 (0 for 0); the generator is
    // reseeded with the size, mixed into its state.
    int32_t Randomizer(int32_t& TheListSize);

    // Play: in random mode a random pick first; then the current entry's path
    // (empty with none) goes to the component, which starts it. A failure
    // is told (failed) and ends the command; a selection made stays.
    void Play();
    // Stop: the component stops; nothing else changes.
    void Stop();
    // Next: the entry after the current one, wrapping to the first; Prev: the
    // one before it, staying on the first. In random mode one random pick.
    // Either then plays. Selecting an entry that is not there is a failure
    // (an empty list). An entry waiting to be played next (Play Next) goes
    // before all that, for Next and for the play-on, whatever the repeat and
    // random mode; the list's order goes on from it.
    void Next();
    void Prev();
    // The end of a file: the playlist plays on with Next, wrapping to the
    // first entry ("repeat list"); "repeat track" plays the file again, "no
    // repeat" stops after the last entry in list order (in random mode the
    // picks go on), and Stop After This Track stops once, the selection
    // staying. Files that break off one after another before anything of
    // them was heard (a list of damaged files) end the play-on after a streak
    // of min(list size, 10), told once, instead of circling the list for
    // ever. A sound device lost for good is no end: it is told as a failure,
    // and Play resumes the file.
    void EndReached();

    // The listening preferences: the repeat choice, and volume levelling,
    // which goes to the component now and whenever it or random mode
    // changes ("album unless random"). Without them: repeat list, no
    // levelling.
    void setPreferences(Preferences* preferences);
    Preferences::Repeat repeat() const;
    void setRepeat(Preferences::Repeat repeat);
    // One-shot: the play-on stops at the end of the file playing. Play,
    // Next, Prev and Stop take it back.
    void setStopAfterThisTrack(bool on);
    bool stopAfterThisTrack() const { return stopAfter_; }
    // Selects the entry of `path` (found by its path: the list re-sorts) and
    // plays it from `seconds`, or holds it there paused; false when the list
    // has no such entry or the file cannot be played (told as a failure).
    bool Resume(const std::string& path, double seconds, bool paused);

    // For the desktop's controls: a paused file resumes where it was,
    // anything else is played as by Play.
    void PlayOrResume();
    void Pause();
    void PlayPause();
    // Moves the playing or paused file to `seconds`.
    void Seek(double seconds);
    // Moves it by `seconds` (back when below 0), within the file; nothing
    // when stopped.
    void SeekBy(double seconds);
    MediaComponent::State state() const;
    const PlaylistModel& playlist() const { return playlist_; }

    // Adds entries, each at its sorted place; those past the playlist's limit
    // are refused. Returns the one message that says how many were not
    // added, or the empty text when all were.
    QString Add(const std::vector<std::string>& entries);
    // Adds entries as a drop does: a playlist (.m3u, .m3u8, .pls) stands for
    // the files it names (see playlist/playlist_formats.h); then as Add, and
    // the message is told once the handler that added them has returned.
    void AddEntries(const std::vector<std::string>& entries);
    // Files given to the player to open (the command line, a second start,
    // the desktop): those not listed yet join as a drop does (each once),
    // and the first of them (of a playlist, its first file) is selected and
    // played. A folder stands for the MP3 files below it, as the folder
    // search finds them (for 3 s at most: then what was found joins); a
    // name of no file is not added and is counted in the one message of
    // what was not added.
    void Open(const std::vector<std::string>& given);

    // The program ends: playback stops and no command runs any more.
    void Shutdown();
    bool IsShutDown() const { return shutDown_; }

    // Files that broke off unheard in a row before the play-on gives up.
    static constexpr int kFailureStreak = 10;

signals:
    void randomModeChanged(bool on);
    // A command failed: the failure's description, for the error box. Told
    // inside the command, before it goes on.
    void failed(const QString& description);
    // Something to tell the user (what was not added, the play-on given up).
    void message(const QString& text);
    void stopAfterThisTrackChanged(bool on);
    // The preferences changed (the repeat choice among them).
    void repeatChanged();
    // The program is ending: the last moment the component still plays.
    void shuttingDown();

private:
    void PlaySteps(bool pick = true);  // Play without its error trap; `pick`: a random pick first in random mode
    void PlayOn();                     // after the end of a file
    void ApplyLevelling();
    void AddExpanded(const ExpandedPaths& expanded);
    void Select(int row);
    // Runs a command step; a failure is told and ends it (false).
    template <typename F>
    bool Trapped(F&& step);
    // Hands `path` to the component; what it cannot take is told with the
    // file's name.
    void SetFile(const std::string& path);
    // Plays the first entry waiting to be played next; false when none waits.
    bool PlayQueued();

    PlaylistModel& playlist_;
    MediaComponent& media_;
    RandomPicker random_;
    int16_t randomMode_ = 0;
    int unheardEnds_ = 0;  // files in a row that broke off before anything was heard
    bool shutDown_ = false;
    bool stopAfter_ = false;
    Preferences* preferences_ = nullptr;
};
