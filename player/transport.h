#pragma once
// The player's commands, without a window: Play, Stop, Next, Prev and random
// mode over the playlist and the media component, the play-on at the end of
// a file, pause and seek for the desktop's controls, adding entries within
// the playlist's limit, and loading and saving the stored playlist. It
// selects entries through the playlist's current row, whose selection
// handler has rebuilt the information line before a command goes on, and
// reports failures through the dialogs interface. The window, the desktop's
// media keys and the command line all drive the player through it.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

#include "media_component.h"
#include "randomizer.h"

class PlaylistModel;
class QWidget;

class Transport : public QObject {
    Q_OBJECT
public:
    Transport(PlaylistModel& playlist, MediaComponent& media, QObject* parent = nullptr);

    // The window the message boxes belong to (none: they stand alone).
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

    // Random mode: 0 off, -1 on. Off at every start, never stored.
    int16_t RandomMode() const { return randomMode_; }
    // The Random command: switches random mode.
    void Random();
    // A whole number in 0 .. TheListSize - 1 (0 for 0); the generator is
    // reseeded with the size, mixed into its state.
    int32_t Randomizer(int32_t& TheListSize);

    // Play: in random mode a random pick first; then the current entry's path
    // (empty with none) goes to the component, which starts it. A failure
    // shows the error box and ends the command; a selection made stays.
    void Play();
    // Stop: the component stops; nothing else changes.
    void Stop();
    // Next: the entry after the current one, wrapping to the first; Prev: the
    // one before it, staying on the first. In random mode one random pick.
    // Either then plays. Selecting an entry that is not there shows the error
    // box (an empty list).
    void Next();
    void Prev();
    // The end of a file: the playlist plays on with Next.
    void EndReached();

    // For the desktop's controls: a paused file resumes where it was,
    // anything else is played as by Play.
    void PlayOrResume();
    void Pause();
    void PlayPause();
    // Moves the playing or paused file to `seconds`.
    void Seek(double seconds);
    MediaComponent::State state() const;

    // Adds entries, each at its sorted place; those past the playlist's limit
    // are refused. Returns the one message that says how many were not
    // added, or the empty text when all were.
    QString Add(const std::vector<std::string>& entries);
    // Adds entries as a drop does: as Add, and the message is shown once the
    // handler that added them has returned.
    void AddEntries(const std::vector<std::string>& entries);
    // Files given to the player to open (the command line, a second start,
    // the desktop): they join as a drop does, and the first of them is
    // selected and played.
    void Open(const std::vector<std::string>& paths);

    // Reads the stored playlist when there is one; a file that cannot be read
    // is said once and is then never overwritten in this session.
    void LoadPlaylist();
    // Writes the whole playlist to the stored playlist; a failure is said in
    // a message box and the playlist in the window is kept.
    void SavePlaylist();

    // The program ends: playback stops and no command runs any more.
    void Shutdown();

signals:
    void randomModeChanged(bool on);

private:
    void PlaySteps();  // Play without its error trap
    void Select(int row);

    PlaylistModel& playlist_;
    MediaComponent& media_;
    QPointer<QWidget> dialogParent_;
    RandomPicker random_;
    int16_t randomMode_ = 0;
    bool playlistUnreadable_ = false;
    bool shutDown_ = false;
};
