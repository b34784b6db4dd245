#pragma once
// The main window: the playlist, the transport labels, the time labels, the
// volume slider, the theme picture and the embedded media player's control
// bar. Its handlers forward the commands to the Transport. What it shows and
// drives (the component, the playlist and its stored file, the volume level,
// the transport) is made by the program's start-up and handed to it.
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playlist/entry_check.h"
#include "playlist/stored_playlist.h"
#include "search/frm_file_loader.h"
#include "volume/volume_setter.h"

class CommandLabel;
class EqualizerWindow;
class MediaComponent;
class MediaPlayerBar;
class PlaylistModel;
class PlaylistView;
class Preferences;
class QAction;
class QLabel;
class QMenu;
class QMimeData;
class QScrollBar;
class QTimer;
class SleepTimer;
class Transport;
class VolumeLevel;

class frmMain : public QWidget {
    Q_OBJECT
public:
    // What the window shows and drives; each outlives the window.
    struct Parts {
        MediaComponent& media;
        PlaylistModel& playlist;  // the entries of List1
        StoredPlaylist& stored;
        VolumeLevel& volume;  // what HScroll_4_Volume shows, for the desktop too
        Transport& transport;
        Preferences& preferences;
        SleepTimer& sleepTimer;
        // Sets the volume of an output (on a thread of its own); none: the
        // system's mixer or the sound server's.
        VolumeSetter::Apply mixer = nullptr;
    };
    explicit frmMain(const Parts& parts, QWidget* parent = nullptr);
    ~frmMain() override;

    // Controls, named as designed.
    QLabel* lblTotalTime = nullptr;
    QLabel* lblElapsedTime = nullptr;
    QLabel* lblMessages = nullptr;
    QScrollBar* HScroll_4_Volume = nullptr;
    PlaylistView* List1 = nullptr;
    CommandLabel* lblVolume = nullptr;
    CommandLabel* lblPrev = nullptr;
    CommandLabel* lblPlay = nullptr;
    CommandLabel* lblStop = nullptr;
    CommandLabel* lblNext = nullptr;
    CommandLabel* lblRandom = nullptr;
    CommandLabel* lblExit = nullptr;
    QLabel* imgTheme = nullptr;
    QLabel* imgMover = nullptr;
    QTimer* Timer1 = nullptr;
    MediaPlayerBar* MediaPlayer1 = nullptr;  // the media player component's control bar
    QMenu* mnuTagInfo = nullptr;
    QAction* mnuRemoveEntry = nullptr;
    QAction* mnuLoadFiles = nullptr;
    QAction* mnuEditTag = nullptr;
    QAction* mnuMediaPlayerBar = nullptr;
    QAction* mnuExportPlaylist = nullptr;
    QAction* mnuPlayNext = nullptr;
    QAction* mnuAddFiles = nullptr;
    QAction* mnuRemoveMissing = nullptr;
    QAction* mnuRemoveDuplicates = nullptr;
    QMenu* mnuPlayback = nullptr;  // repeat, stop after this track, resume, levelling
    QAction* mnuStopAfter = nullptr;
    QAction* mnuResume = nullptr;
    QAction* mnuLevelling = nullptr;
    QAction* mnuEqualizer = nullptr;
    QMenu* mnuOutput = nullptr;               // "Follow the System", then the outputs there are
    EqualizerWindow* frmEqualizer = nullptr;  // made when first asked for
    QMenu* mnuSleepTimer = nullptr;           // off, or the minutes, the time left in its title
    QMenu* mnuSetTheme = nullptr;
    QAction* mnuTheme = nullptr;
    QAction* mnuAutosize = nullptr;

    // State kept between handlers.
    std::string CurrentFile;
    int16_t Minutes = 0;
    int16_t Seconds = 0;
    bool Stretch = false;  // the theme picture is scaled into its area

    // What the Exit command runs (ends the program unless replaced).
    std::function<void()> ExitProgram;
    // What "Load Files" runs to show the folder search window, which adds
    // what it finds through `add` (the playlist's add within its limit).
    std::function<void(QWidget* parent, const frmFileLoader::AddFunction& add)> ShowFileLoader;
    // What "Edit Tag" runs to show the tag editor for the file at `path`.
    std::function<void(QWidget* parent, const std::string& path)> ShowTagEditor;

    void Form_Load();
    int32_t Randomizer(int32_t& TheListSize);

    // The current index (-1 with nothing selected) and the entry count.
    int16_t ListIndex() const;
    int16_t ListCount() const;
    // Selects entry k and runs the selection handler; throws AppError for an
    // index without an entry.
    void SelectEntry(int k);
    // Shows a picture in imgTheme by the Stretch rule; an empty path clears it.
    // Throws AppError when the file cannot be loaded as a picture.
    void SetThemePicture(const std::string& path);
    // Reads a picture file: only a regular file, and only when its pixels
    // fit in Qt's allocation limit. Throws AppError.
    static QImage LoadPicture(const std::string& path);
    // Applies the stored settings (the theme picture).
    void LoadSettings();
    // The picture's left edge in twips, as the resize rule sets it.
    double ThemeLeftTwips() const;
    // Writes the playlist to the stored playlist; a failure is said in a
    // message box and the playlist in the window is kept.
    void SavePlaylist();

public slots:
    void List1_Click();
    void List1_DblClick();
    void List1_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    // The Menu key or Shift+F10 on the list: its menu at the current entry.
    void List1_MenuKey();
    void List1_OLEDragDrop(const QMimeData* data);
    void Form_DragDrop(QWidget* source, double xTwips, double yTwips);
    void lblPlay_Click();
    void lblStop_Click();
    void lblNext_Click();
    void lblPrev_Click();
    void lblRandom_Click();
    void lblExit_Click();
    void lblVolume_Click();
    void HScroll_4_Volume_Change();
    void Form_KeyDown(int key, Qt::KeyboardModifiers shift);
    void Timer1_Timer();
    void MediaPlayer1_LengthKnown();
    void MediaPlayer1_EndReached();
    void mnuRemoveEntry_Click();
    void mnuLoadFiles_Click();
    void mnuEditTag_Click();
    void mnuMediaPlayerBar_Click();
    void mnuExportPlaylist_Click();
    void mnuPlayNext_Click();
    void mnuAddFiles_Click();
    void mnuRemoveMissing_Click();
    void mnuRemoveDuplicates_Click();
    void imgTheme_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void mnuTheme_Click();
    void mnuAutosize_Click();
    void mnuEqualizer_Click();
    void Form_Resize();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The keys a control leaves to the window: Space pauses and resumes,
    // Left and Right seek 5 s back and forward (30 s with Shift).
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    // Play Next, Add Files..., Remove Missing Entries, Remove Duplicates.
    void BuildPlaylistCommands();
    void BuildSleepTimerMenu();
    void BuildOutputMenu();
    // The outputs in the Output menu, "Follow the System" first, the chosen
    // one checked (shown also while it is not there).
    void ShowOutputs(const QStringList& names, const QStringList& descriptions);
    // The cleaning commands look at the files on a thread of their own, and
    // go on here once they were looked at.
    enum class Cleaning { Missing, Duplicates };
    void StartCleaning(Cleaning what);
    void EntriesChecked(const std::vector<std::string>& entries, const EntryFacts& facts);
    void RemoveMissing(const std::vector<std::string>& entries, const EntryFacts& facts);
    void RemoveDuplicates(const std::vector<std::string>& entries, const EntryFacts& facts);
    // Removes an entry for each of `texts` (one for each time it is named).
    int RemoveEntries(const std::vector<std::string>& texts);
    void BuildMenus();
    void BuildPlaybackMenu();
    // Splits a time into Minutes and Seconds and shows it on `label`; with
    // `shown`, only when it differs from the time (in seconds) shown last.
    void ShowTime(QLabel* label, const QString& prefix, double t, int64_t* shown);
    void ShowRandomMode(bool on);
    // The command labels' text colour: black (blue for random mode) as
    // designed, on a dark palette its own text colour (a light blue).
    void ShowLabelColours();
    void UseScreenPixels();

    MediaComponent& media_;
    PlaylistModel& playlist_;
    StoredPlaylist& stored_;
    VolumeLevel& volume_;
    // The master volume is set on a thread of its own: the mixer reaches
    // the sound server, which may hang.
    VolumeSetter masterVolume_;
    EntryCheck* entryCheck_ = nullptr;
    Cleaning cleaning_ = Cleaning::Missing;
    Transport& transport_;
    Preferences& preferences_;
    SleepTimer& sleepTimer_;
    QPixmap themePixmap_;
    bool ownTheme_ = true;  // the program's own picture is shown, not the user's
    bool screenFollowed_ = false;
    qreal picturesDpr_ = 0;  // the screen pixels the own pictures are drawn for
    double themeLeftTwips_ = 5160;
    int64_t elapsedShown_ = -1;  // the elapsed time on its label, in seconds
};
