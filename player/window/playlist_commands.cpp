// The playlist menu's commands the player adds beside the designed ones:
// Play Next, Add Files..., Remove Missing Entries and Remove Duplicates, and
// the Playback submenu's Sleep Timer.
#include "common/dialogs.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "common/translation.h"
#include "playlist/entry_check.h"
#include "playlist/playlist_model.h"
#include "transport/sleep_timer.h"
#include "transport/transport.h"
#include "window/frm_main.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QMenu>
#include <map>
#include <set>

void frmMain::BuildPlaylistCommands() {
    auto add = [this](QAction*& item, const QString& caption, const char* name, void (frmMain::*handler)()) {
        item = mnuTagInfo->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, handler);
    };
    add(mnuPlayNext, tr("Play Next"), "mnuPlayNext", &frmMain::mnuPlayNext_Click);
    add(mnuAddFiles, tr("Add Files..."), "mnuAddFiles", &frmMain::mnuAddFiles_Click);
    add(mnuRemoveMissing, tr("Remove Missing Entries"), "mnuRemoveMissing", &frmMain::mnuRemoveMissing_Click);
    add(mnuRemoveDuplicates, tr("Remove Duplicates"), "mnuRemoveDuplicates", &frmMain::mnuRemoveDuplicates_Click);
    entryCheck_ = new EntryCheck(this);
    connect(entryCheck_, &EntryCheck::checked, this, &frmMain::EntriesChecked);
}

void frmMain::mnuPlayNext_Click() {
    const int16_t c = ListIndex();
    if (c >= 0) Guarded(lcWindow, "mnuPlayNext_Click", [this, c] { playlist_.playNext(c); });
}

// Joined as dropped files are (kept by the next save, as they are).
void frmMain::mnuAddFiles_Click() {
    Guarded(lcWindow, "mnuAddFiles_Click", [this] {
        const QStringList chosen = AppDialogs().GetOpenFileNames(
            this, tr("Add Files"), tr("MP3 files and playlists (*.mp3 *.m3u *.m3u8 *.pls);;All files (*)"));
        std::vector<std::string> paths;
        for (const QString& name : chosen) paths.push_back(QFile::encodeName(name).toStdString());
        if (!paths.empty()) transport_.AddEntries(paths);
    });
}

void frmMain::mnuRemoveMissing_Click() { StartCleaning(Cleaning::Missing); }

void frmMain::mnuRemoveDuplicates_Click() { StartCleaning(Cleaning::Duplicates); }

// The window answers meanwhile; the two commands wait for the check.
void frmMain::StartCleaning(Cleaning what) {
    Guarded(lcWindow, "StartCleaning", [this, what] {
        if (!entryCheck_->start(playlist_.entries())) return;
        cleaning_ = what;
        mnuRemoveMissing->setEnabled(false);
        mnuRemoveDuplicates->setEnabled(false);
    });
}

void frmMain::EntriesChecked(const std::vector<std::string>& entries, const EntryFacts& facts) {
    mnuRemoveMissing->setEnabled(true);
    mnuRemoveDuplicates->setEnabled(true);
    if (transport_.IsShutDown()) return;
    Guarded(lcWindow, "EntriesChecked", [&] {
        if (cleaning_ == Cleaning::Missing)
            RemoveMissing(entries, facts);
        else
            RemoveDuplicates(entries, facts);
    });
}

// What is gone from a folder that is there goes. What stands in a folder
// that is not there (an unplugged drive, an unmounted share) or did not
// answer stays, unless the one question is answered so.
void frmMain::RemoveMissing(const std::vector<std::string>& entries, const EntryFacts& facts) {
    std::vector<std::string> gone, unsure;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (facts.states[i] == EntryFacts::State::Gone) gone.push_back(entries[i]);
        if (facts.states[i] == EntryFacts::State::FolderGone || facts.states[i] == EntryFacts::State::NoAnswer)
            unsure.push_back(entries[i]);
    }
    const int n = static_cast<int>(gone.size()), m = static_cast<int>(unsure.size());
    if (m > 0) {
        const QString text =
            Counted("frmMain", QT_TRANSLATE_N_NOOP("frmMain", "%n entries name a file that is gone."),
                    "%n entry names a file that is gone.", n) +
            QLatin1Char('\n') +
            Counted("frmMain",
                    QT_TRANSLATE_N_NOOP("frmMain",
                                        "%n entries are in folders that are not there or do not answer "
                                        "(an unplugged drive, a share): they are kept unless you remove "
                                        "them too."),
                    "%n entry is in a folder that is not there or does not answer (an unplugged drive, a share): it "
                    "is kept unless you remove it too.",
                    m);
        QStringList answers;
        if (n > 0) answers << tr("Remove Those Gone");
        answers << tr("Remove All %1").arg(n + m);
        const int chosen = AppDialogs().Choose(this, text, answers);
        if (chosen < 0) return;
        if (chosen == answers.size() - 1) gone.insert(gone.end(), unsure.begin(), unsure.end());
    } else if (n == 0) {
        AppDialogs().MessageBox(this, tr("No entry names a file that is gone."));
        return;
    }
    RemoveEntries(gone);
    SavePlaylist();
    if (m == 0)
        AppDialogs().MessageBox(
            this, Counted("frmMain", QT_TRANSLATE_N_NOOP("frmMain", "%n entries removed."), "%n entry removed.", n));
}

// Entries that name the same file are kept once, the first of them.
void frmMain::RemoveDuplicates(const std::vector<std::string>& entries, const EntryFacts& facts) {
    std::set<std::string> seen;
    std::vector<std::string> twice;
    for (size_t i = 0; i < entries.size(); ++i)
        if (!seen.insert(facts.files[i]).second) twice.push_back(entries[i]);
    if (twice.empty()) {
        AppDialogs().MessageBox(this, tr("No entry names a file another entry names."));
        return;
    }
    const int removed = RemoveEntries(twice);
    SavePlaylist();
    AppDialogs().MessageBox(this, Counted("frmMain", QT_TRANSLATE_N_NOOP("frmMain", "%n duplicate entries removed."),
                                          "%n duplicate entry removed.", removed));
}

// The list may have changed while the files were looked at: entries are
// found again by their text, the last of a text first.
int frmMain::RemoveEntries(const std::vector<std::string>& texts) {
    std::map<std::string, int> wanted;
    for (const std::string& t : texts) ++wanted[t];
    std::vector<int> rows;
    for (int row = playlist_.count() - 1; row >= 0; --row) {
        auto it = wanted.find(playlist_.at(row));
        if (it == wanted.end() || it->second == 0) continue;
        --it->second;
        rows.push_back(row);
    }
    return playlist_.removeEach(rows);
}

void frmMain::BuildSleepTimerMenu() {
    mnuSleepTimer = mnuPlayback->addMenu(tr("Sleep Timer"));
    mnuSleepTimer->setObjectName(QStringLiteral("mnuSleepTimer"));
    auto* choices = new QActionGroup(mnuSleepTimer);
    for (int minutes : {0, 15, 30, 45, 60, 90}) {
        QAction* item = mnuSleepTimer->addAction(minutes == 0 ? tr("Off") : tr("%n Minutes", nullptr, minutes));
        item->setCheckable(true);
        item->setData(minutes);
        choices->addAction(item);
        connect(item, &QAction::triggered, this, [this, minutes] { sleepTimer_.setMinutes(minutes); });
    }
    // The choice, and the time left in the title, as they are when the menu
    // opens.
    auto show = [this, choices] {
        for (QAction* item : choices->actions()) item->setChecked(item->data().toInt() == sleepTimer_.minutes());
        mnuSleepTimer->setTitle(sleepTimer_.minutes() == 0
                                    ? tr("Sleep Timer")
                                    : tr("Sleep Timer (%n min left)", nullptr, sleepTimer_.minutesLeft()));
    };
    connect(&sleepTimer_, &SleepTimer::changed, this, show);
    connect(mnuPlayback, &QMenu::aboutToShow, this, show);
    show();
}
