#include "transport/transport.h"

#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "playlist/playlist_model.h"
#include "playlist/stored_playlist.h"

#include <QTimer>
#include <algorithm>
#include <exception>
#include <unordered_set>

Transport::Transport(PlaylistModel& playlist, MediaComponent& media, QObject* parent)
    : QObject(parent), playlist_(playlist), media_(media) {
    // A lost sound device is no end of the file: the play-on stays where it
    // is, the selection too, and the failure is told once; Play resumes.
    connect(&media_, &MediaComponent::deviceLost, this, [this](const QString& description) {
        unheardEnds_ = 0;
        emit failed(description);
    });
}

template <typename F>
bool Transport::Trapped(F&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        emit failed(ErrorText(e));
        return false;
    }
}

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
    unheardEnds_ = 0;
    Trapped([this] { PlaySteps(); });
}

void Transport::Stop() { media_.stop(); }

void Transport::Next() {
    // In random mode one pick is made and the component started once.
    if (randomMode_ == 0 && !Trapped([this] {
            const int c = playlist_.currentRow();
            Select(c + 1 < playlist_.count() ? c + 1 : 0);
        }))
        return;
    Play();
}

void Transport::Prev() {
    if (randomMode_ == 0 && !Trapped([this] {
            const int c = playlist_.currentRow();
            Select(c > 0 ? c - 1 : 0);
        }))
        return;
    Play();
}

void Transport::EndReached() {
    if (!media_.endFailedUnheard()) {
        Next();
        return;
    }
    const int streak = unheardEnds_ + 1;
    qCInfo(lcTransport) << "the file" << QString::fromStdString(media_.fileName())
                        << "broke off before anything of it was heard;" << streak << "in a row";
    if (streak >= std::clamp(playlist_.count(), 1, kFailureStreak)) {
        unheardEnds_ = 0;
        emit message(QStringLiteral("Playback stopped: %1 could not be played one after another.")
                         .arg(streak == 1 ? QStringLiteral("the file") : QStringLiteral("%1 files").arg(streak)));
        return;
    }
    Next();
    unheardEnds_ = streak;
}

void Transport::PlayOrResume() {
    if (media_.state() != MediaComponent::State::Paused) {
        Play();
        return;
    }
    Trapped([this] { media_.play(); });
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

QString Transport::Add(const std::vector<std::string>& entries) { return AddWithinLimit(playlist_, entries); }

void Transport::AddEntries(const std::vector<std::string>& entries) { AddExpanded(ExpandPlaylists(entries)); }

void Transport::AddExpanded(const ExpandedPaths& expanded) {
    const QString notAdded = AddWithinLimit(playlist_, expanded.paths, expanded.skipped);
    // Told after the handler (a drop, say) has returned, not inside it.
    if (!notAdded.isEmpty()) QTimer::singleShot(0, this, [this, notAdded] { emit message(notAdded); });
}

void Transport::Open(const std::vector<std::string>& given) {
    if (given.empty() || shutDown_) return;
    // Names are taken in their clean form, so that "./a.mp3" finds "/x/a.mp3";
    // a playlist given stands for the files it names.
    std::vector<std::string> clean;
    clean.reserve(given.size());
    for (const std::string& name : given) clean.push_back(AbsolutePath(name));
    ExpandedPaths expanded = ExpandPlaylists(clean);
    if (expanded.paths.empty()) {
        AddExpanded(expanded);
        return;
    }
    const std::string first = expanded.paths.front();
    // A file the list holds already is not listed again: its entry is used.
    std::unordered_set<std::string> seen;
    std::vector<std::string> unlisted;
    for (std::string& path : expanded.paths)
        if (playlist_.rowOf(path) < 0 && seen.insert(path).second) unlisted.push_back(std::move(path));
    expanded.paths = std::move(unlisted);
    AddExpanded(expanded);
    const int row = playlist_.rowOf(first);
    if (row < 0) return;  // it did not fit
    Select(row);
    Play();
}

void Transport::Shutdown() {
    shutDown_ = true;
    media_.stop();
}
