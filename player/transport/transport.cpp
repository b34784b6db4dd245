#include "transport/transport.h"

#include "common/deadline.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "common/thread_safety.h"
#include "common/translation.h"
#include "playlist/playlist_model.h"
#include "playlist/stored_playlist.h"
#include "search/collect_files.h"

#include <sys/stat.h>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <unordered_set>

namespace {
// How long a folder opened (by "Open with", say) is searched before the
// window goes on with what was found by then.
constexpr std::chrono::milliseconds kFolderSearch{3000};

// The MP3 files below `folder`, as the folder search finds them, off this
// thread. A search that takes longer than kFolderSearch (a whole disk, a
// share that stopped answering) is stopped there: what it found by then is
// taken, or nothing when it is stuck in a read, which is left to itself.
std::vector<std::string> Mp3FilesBelow(const std::string& folder) {
    struct Search {
        std::atomic<bool> cancel{false};
        Mutex mutex;
        std::vector<std::string> found GUARDED_BY(mutex);
    };
    auto search = std::make_shared<Search>();
    BoundedThread thread([search, folder] {
        std::vector<std::string> found;
        try {
            CollectOptions options;
            options.cancel = &search->cancel;
            found = CollectFiles(folder, "*.mp3", true, options);
        } catch (const std::exception& e) {
            qCInfo(lcTransport) << "the folder" << QString::fromStdString(folder) << "was not searched:" << e.what();
        }
        MutexLock lock(search->mutex);
        search->found = std::move(found);
    });
    if (!thread.joinWithin(kFolderSearch)) {
        search->cancel = true;
        const bool stopped = thread.joinWithin(kFileDeadline);
        qCInfo(lcTransport) << "the search of" << QString::fromStdString(folder) << "took longer than"
                            << kFolderSearch.count() << "ms;" << (stopped ? "what it found is taken" : "it is left");
        if (!stopped) return {};
    }
    MutexLock lock(search->mutex);
    return std::move(search->found);
}
}  // namespace

Transport::Transport(PlaylistModel& playlist, MediaComponent& media, QObject* parent)
    : QObject(parent), playlist_(playlist), media_(media) {
    // A lost sound device is no end of the file: the play-on stays where it
    // is, the selection too, and the failure is told once; Play resumes.
    connect(&media_, &MediaComponent::deviceLost, this, [this](const QString& description) {
        unheardEnds_ = 0;
        emit failed(description);
    });
}

namespace {
// A file the component could not take: told with its name after what went
// wrong ("File not found", then the file).
class FileFailure : public std::exception {
public:
    explicit FileFailure(QString text) : text(std::move(text)) {}
    const char* what() const noexcept override { return "the file could not be set"; }
    const QString text;
};
}  // namespace

template <typename F>
bool Transport::Trapped(F&& step) {
    try {
        step();
        return true;
    } catch (const FileFailure& e) {
        emit failed(e.text);
        return false;
    } catch (const std::exception& e) {
        emit failed(ErrorText(e));
        return false;
    }
}

void Transport::SetFile(const std::string& path) {
    try {
        media_.setFileName(path);
    } catch (const std::exception& e) {
        if (path.empty()) throw;  // no entry: no file to name
        throw FileFailure(ErrorText(e) + QLatin1Char('\n') + PathToText(path));
    }
}

void Transport::Random() {
    randomMode_ = randomMode_ == -1 ? 0 : -1;
    emit randomModeChanged(randomMode_ != 0);
    ApplyLevelling();  // "album unless random" follows the mode
}

void Transport::setPreferences(Preferences* preferences) {
    preferences_ = preferences;
    if (!preferences_) return;
    connect(preferences_, &Preferences::changed, this, &Transport::ApplyLevelling);
    auto sound = [this] {
        media_.setEqualizer(preferences_->equalizer());
        media_.setOutputDevice(preferences_->outputSink().toStdString());
    };
    connect(preferences_, &Preferences::changed, this, sound);
    sound();
    connect(preferences_, &Preferences::changed, this, &Transport::repeatChanged);
    ApplyLevelling();
}

Preferences::Repeat Transport::repeat() const {
    return preferences_ ? preferences_->repeat() : Preferences::Repeat::List;
}

void Transport::setRepeat(Preferences::Repeat repeat) {
    if (preferences_) preferences_->setRepeat(repeat);
}

void Transport::setStopAfterThisTrack(bool on) {
    if (on == stopAfter_) return;
    stopAfter_ = on;
    emit stopAfterThisTrackChanged(on);
}

void Transport::ApplyLevelling() {
    if (!preferences_) return;  // none: the component keeps its own (off)
    Decoder::Levelling levelling;
    {
        using L = Preferences::Levelling;
        const L choice = preferences_->levelling();
        levelling.mode = choice == L::Off     ? Decoder::Levelling::Mode::Off
                         : choice == L::Track ? Decoder::Levelling::Mode::Track
                         : choice == L::Album ? Decoder::Levelling::Mode::Album
                         : randomMode_ != 0   ? Decoder::Levelling::Mode::Track
                                              : Decoder::Levelling::Mode::Album;
        levelling.preampDb = preferences_->preampDb();
        levelling.untaggedDb = preferences_->untaggedDb();
    }
    media_.setLevelling(levelling);
}

int32_t Transport::Randomizer(int32_t& TheListSize) { return random_.Pick(TheListSize); }

void Transport::Select(int row) { playlist_.setCurrentRow(row); }

void Transport::PlaySteps(bool pick) {
    if (shutDown_) return;
    if (pick && randomMode_ != 0) {
        int32_t n = playlist_.count();
        const int32_t k = Randomizer(n);
        Select(static_cast<int16_t>(k));
    }
    media_.setComponentEnabled(true);
    const int c = playlist_.currentRow();
    SetFile(c >= 0 ? playlist_.at(c) : std::string());
    media_.setAutoStart(true);
    media_.play();
}

void Transport::Play() {
    unheardEnds_ = 0;
    setStopAfterThisTrack(false);  // another track is no longer "this" one
    Trapped([this] { PlaySteps(); });
}

void Transport::Stop() {
    setStopAfterThisTrack(false);
    media_.stop();
}

bool Transport::PlayQueued() {
    const int row = playlist_.takeNext();
    if (row < 0) return false;
    unheardEnds_ = 0;
    setStopAfterThisTrack(false);
    Trapped([this, row] {
        Select(row);
        PlaySteps(false);
    });
    return true;
}

void Transport::Next() {
    if (PlayQueued()) return;
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

void Transport::PlayOn() {
    if (stopAfter_) {  // the selection stays on the file that ended
        setStopAfterThisTrack(false);
        return;
    }
    if (PlayQueued()) return;
    switch (repeat()) {
    case Preferences::Repeat::Track: Trapped([this] { PlaySteps(false); }); return;
    case Preferences::Repeat::Off:
        if (randomMode_ == 0 && playlist_.currentRow() + 1 >= playlist_.count()) return;  // the list's end
        break;
    case Preferences::Repeat::List: break;
    }
    Next();
}

bool Transport::Resume(const std::string& path, double seconds, bool paused) {
    const int row = playlist_.rowOf(path);
    if (row < 0 || shutDown_) return false;
    Select(row);
    return Trapped([&] {
        media_.setComponentEnabled(true);
        SetFile(path);
        media_.setStartPosition(seconds, paused);
        media_.setAutoStart(true);
        media_.play();
    });
}

void Transport::EndReached() {
    if (!media_.endFailedUnheard()) {
        PlayOn();
        return;
    }
    const int streak = unheardEnds_ + 1;
    qCInfo(lcTransport) << "the file" << QString::fromStdString(media_.fileName())
                        << "broke off before anything of it was heard;" << streak << "in a row";
    if (streak >= std::clamp(playlist_.count(), 1, kFailureStreak)) {
        unheardEnds_ = 0;
        emit message(Counted(
            "Transport",
            QT_TRANSLATE_N_NOOP("Transport", "Playback stopped: %n files could not be played one after another."),
            "Playback stopped: the file could not be played one after another.", streak));
        return;
    }
    PlayOn();
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

void Transport::SeekBy(double seconds) {
    if (media_.state() == MediaComponent::State::Stopped) return;
    // While the length is measured (0) the component holds a seek to it.
    const double to = std::max(0.0, media_.currentPosition() + seconds), length = media_.duration();
    media_.seek(length > 0 ? std::min(to, length) : to);
}

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
    // a playlist given stands for the files it names, and a folder for the
    // MP3 files below it (as the folder search finds them). A name of no
    // file (gone, a device) is not added, and is told with the rest.
    std::vector<std::string> names;
    names.reserve(given.size());
    int missing = 0;
    for (const std::string& name : given) {
        const std::string path = AbsolutePath(name);
        struct stat st {};
        const bool exists = ::stat(path.c_str(), &st) == 0;
        if (PlaylistFormatOf(path) != PlaylistFormat::None)
            names.push_back(path);  // read, or told as unreadable, as a playlist
        else if (exists && S_ISDIR(st.st_mode))
            for (std::string& found : Mp3FilesBelow(path)) names.push_back(std::move(found));
        else if (exists && S_ISREG(st.st_mode))
            names.push_back(path);
        else
            ++missing;
    }
    ExpandedPaths expanded = ExpandPlaylists(names);
    expanded.skipped.missing += missing;
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
    emit shuttingDown();
    shutDown_ = true;
    media_.stop();
}
