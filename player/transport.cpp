#include "transport.h"

#include "app_error.h"
#include "dialogs.h"
#include "file_util.h"
#include "playlist_file.h"
#include "playlist_model.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <exception>
#include <iterator>

Transport::Transport(PlaylistModel& playlist, MediaComponent& media, QObject* parent)
    : QObject(parent), playlist_(playlist), media_(media) {}

void Transport::Random() {
    randomMode_ = randomMode_ == -1 ? 0 : -1;
    emit randomModeChanged(randomMode_ != 0);
}

int32_t Transport::Randomizer(int32_t& TheListSize) { return random_.Pick(TheListSize); }

void Transport::Select(int row) { playlist_.setCurrentRow(row); }

void Transport::PlaySteps() {
    if (shutDown_) return;
    if (randomMode_ != 0) {
        int32_t n = playlist_.count();
        const int32_t k = Randomizer(n);
        Select(static_cast<int16_t>(k));
    }
    media_.setComponentEnabled(true);
    const int c = playlist_.currentRow();
    media_.setFileName(c >= 0 ? playlist_.at(c) : std::string());
    media_.setAutoStart(true);
    media_.play();
}

void Transport::Play() {
    try {
        PlaySteps();
    } catch (const AppError& e) {
        ShowErrorBox(dialogParent_, e.description());
    } catch (const std::exception& e) {
        ShowErrorBox(dialogParent_, QString::fromLocal8Bit(e.what()));
    }
}

void Transport::Stop() { media_.stop(); }

void Transport::Next() {
    // In random mode one pick is made and the component started once.
    if (randomMode_ == 0) {
        try {
            const int c = playlist_.currentRow();
            Select(c + 1 < playlist_.count() ? c + 1 : 0);
        } catch (const AppError& e) {
            ShowErrorBox(dialogParent_, e.description());
            return;
        }
    }
    Play();
}

void Transport::Prev() {
    if (randomMode_ == 0) {
        try {
            const int c = playlist_.currentRow();
            Select(c > 0 ? c - 1 : 0);
        } catch (const AppError& e) {
            ShowErrorBox(dialogParent_, e.description());
            return;
        }
    }
    Play();
}

void Transport::EndReached() { Next(); }

void Transport::PlayOrResume() {
    if (media_.state() != MediaComponent::State::Paused) {
        Play();
        return;
    }
    try {
        media_.play();
    } catch (const AppError& e) {
        ShowErrorBox(dialogParent_, e.description());
    } catch (const std::exception& e) {
        ShowErrorBox(dialogParent_, QString::fromLocal8Bit(e.what()));
    }
}

void Transport::Pause() { media_.pause(); }

void Transport::PlayPause() {
    if (media_.state() == MediaComponent::State::Playing)
        Pause();
    else
        PlayOrResume();
}

void Transport::Seek(double seconds) { media_.seek(seconds); }

MediaComponent::State Transport::state() const { return media_.state(); }

namespace {
QString Entries(int n) { return n == 1 ? QStringLiteral("1 entry was") : QStringLiteral("%1 entries were").arg(n); }

// One message for all that was not added: past the limit, and names that
// cannot be stored one per line.
QString NotAddedMessage(int full, int lineBreaks = 0) {
    QStringList parts;
    if (full > 0)
        parts << QStringLiteral("The playlist holds at most %1 entries: %2 not added.")
                     .arg(PlaylistModel::kMaxEntries)
                     .arg(Entries(full));
    if (lineBreaks > 0)
        parts << QStringLiteral("%1 not added: a name holding a line break cannot be stored in the playlist.")
                     .arg(Entries(lineBreaks));
    return parts.join(QLatin1Char(' '));
}

bool HoldsLineBreak(const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; }
}  // namespace

QString Transport::Add(const std::vector<std::string>& entries) {
    const auto lineBreaks = std::count_if(entries.begin(), entries.end(), HoldsLineBreak);
    if (lineBreaks == 0) return NotAddedMessage(playlist_.addMany(entries));
    std::vector<std::string> storable;
    storable.reserve(entries.size());
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(storable),
                 [](const std::string& e) { return !HoldsLineBreak(e); });
    return NotAddedMessage(playlist_.addMany(storable), static_cast<int>(lineBreaks));
}

void Transport::AddEntries(const std::vector<std::string>& entries) {
    const QString notAdded = Add(entries);
    // Told after the handler (a drop, say) has returned, not inside it.
    if (!notAdded.isEmpty())
        QTimer::singleShot(0, this, [this, notAdded] { AppDialogs().MessageBox(dialogParent_, notAdded); });
}

void Transport::Open(const std::vector<std::string>& paths) {
    if (paths.empty() || shutDown_) return;
    AddEntries(paths);
    const int row = playlist_.rowOf(paths.front());
    if (row < 0) return;  // it did not fit
    Select(row);
    Play();
}

void Transport::LoadPlaylist() {
    if (!IsRegularFile(kFileListingName)) return;
    QString problem;
    try {
        const OpenedFileList opened = OpenFileList(playlist_);
        QStringList told;
        if (opened.notAdded > 0)
            told << NotAddedMessage(opened.notAdded) +
                        QStringLiteral(" They stay in %1 and are saved with the playlist.").arg(QString::fromLatin1(kFileListingName));
        if (opened.unusable > 0)
            told << QStringLiteral("%1 of %2 named no file (longer than %3 bytes or holding a NUL byte) and %4 "
                                   "left out; they will not be saved again.")
                        .arg(opened.unusable == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(opened.unusable),
                             QString::fromLatin1(kFileListingName))
                        .arg(PATH_MAX - 1)
                        .arg(opened.unusable == 1 ? QStringLiteral("was") : QStringLiteral("were"));
        if (!told.isEmpty()) AppDialogs().MessageBox(dialogParent_, told.join(QLatin1Char(' ')));
    } catch (const AppError& e) {
        problem = e.description();
    } catch (const std::exception& e) {
        problem = QString::fromLocal8Bit(e.what());
    }
    if (problem.isEmpty()) return;
    // Saving now would replace the stored playlist with what the window holds.
    playlistUnreadable_ = true;
    AppDialogs().MessageBox(dialogParent_,
                            QStringLiteral("Cannot read the playlist %1: %2. It is kept as it is and will not be "
                                           "overwritten in this session.")
                                .arg(QString::fromLatin1(kFileListingName), problem));
}

void Transport::SavePlaylist() {
    if (shutDown_) return;
    if (playlistUnreadable_) {
        AppDialogs().MessageBox(dialogParent_, QStringLiteral("Cannot save the playlist: %1 could not be read at "
                                                              "start-up and is kept as it is.")
                                                   .arg(QString::fromLatin1(kFileListingName)));
        return;
    }
    try {
        SaveFileList(playlist_);
    } catch (const AppError& e) {
        AppDialogs().MessageBox(dialogParent_, QStringLiteral("Cannot save the playlist: ") + e.description());
    }
}

void Transport::Shutdown() {
    shutDown_ = true;
    media_.stop();
}
