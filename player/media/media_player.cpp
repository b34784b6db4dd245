// The component as the rest of the program sees it. Everything here runs on
// the UI thread; the only code that runs elsewhere is the engine's ended and
// measured callbacks, which post queued calls carrying their ids.
#include "media/media_player.h"

#include "common/app_error.h"
#include "common/app_identity.h"
#include "common/deadline.h"
#include "common/log.h"
#include "engine/sound_output.h"

namespace {
// Opens `path` off the UI thread: a file that does not answer within the
// deadline counts as one that cannot be opened, and the open left behind
// closes whatever it opens late.
std::unique_ptr<Decoder> OpenWithin(const std::string& path) {
    std::optional<std::unique_ptr<Decoder>> opened =
        RunWithin<std::unique_ptr<Decoder>>(kFileDeadline, [path] { return Decoder::OpenFile(path); });
    if (opened) return std::move(*opened);
    qCInfo(lcMedia) << "opening" << QString::fromStdString(path) << "did not answer within" << kFileDeadline.count()
                    << "ms";
    throw AppError(ErrNo::PathFileAccess, StandardDescription(ErrNo::PathFileAccess) + " (the file did not answer)");
}
}  // namespace

MediaPlayer::MediaPlayer(QObject* parent)
    : MediaPlayer(
          [] {
              return std::unique_ptr<AudioOutput>(new SoundOutput(PulseOutput::Names{kAppName, kAppId, "music"}));
          },
          parent) {}

// The list is made (and its thread started) when first asked for.
void MediaPlayer::listOutputs() {
    if (outputs_) {
        outputs_->refresh();
        return;
    }
    outputs_ = std::make_unique<OutputList>([this](const std::vector<OutputList::Output>& listed) {
        QStringList names, descriptions;
        for (const OutputList::Output& o : listed) {
            names << QString::fromStdString(o.name);
            descriptions << QString::fromStdString(o.description);
        }
        QMetaObject::invokeMethod(
            this, [this, names, descriptions] { emit outputsListed(names, descriptions); }, Qt::QueuedConnection);
    });
}

MediaPlayer::MediaPlayer(PlaybackEngine::OutputFactory outputs, QObject* parent) : MediaComponent(parent) {
    // Each report is handed to the UI thread as a queued call; one that
    // belongs to a file or a playback no longer current is dropped there.
    PlaybackEngine::Callbacks reports;
    reports.ended = [this](uint64_t id, const PlaybackEngine::TrackEnd& end) {
        QMetaObject::invokeMethod(
            this, [this, id, end] { onEnded(id, end); }, Qt::QueuedConnection);
    };
    reports.measured = [this](uint64_t load) {
        QMetaObject::invokeMethod(
            this,
            [this, load] {
                if (engine_ && engine_->finishMeasuring(load)) emit lengthKnown();
            },
            Qt::QueuedConnection);
    };
    reports.settled = [this](uint64_t id) {
        QMetaObject::invokeMethod(
            this,
            [this, id] {
                if (!engine_ || id != engine_->sessionId()) return;
                noteState();  // a pause the worker took (at a fade's end)
                emit positionJumped();
            },
            Qt::QueuedConnection);
    };
    reports.notice = [this](AudioOutput::Notice what, const std::string& output) {
        QMetaObject::invokeMethod(
            this,
            [this, what, o = QString::fromStdString(output)] {
                qCInfo(lcMedia) << "the output" << o
                                << (what == AudioOutput::Notice::Back ? "is back and plays again"
                                                                      : "is not there; the default plays instead");
                emit outputNotice(what, o);
            },
            Qt::QueuedConnection);
    };
    engine_ = std::make_unique<PlaybackEngine>(std::move(outputs), std::move(reports));
}

MediaPlayer::~MediaPlayer() {
    outputs_.reset();  // its thread reports to this object
    // Join the workers while this object can still receive their posts.
    engine_.reset();
}

void MediaPlayer::noteState() {
    const State now = state();
    if (now == reported_ && !fileChanged_) return;
    reported_ = now;
    fileChanged_ = false;
    emit stateChanged();
}

void MediaPlayer::setComponentEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    emit enabledChanged(enabled);
}

void MediaPlayer::load(const std::string& path) {
    std::unique_ptr<Decoder> first;
    try {
        first = OpenWithin(path);
    } catch (...) {
        engine_->unload();  // what played before stops, as for any file that fails
        throw;
    }
    // The length is told once measured, apart from this thread.
    engine_->load([path] { return Decoder::OpenFile(path); }, std::move(first));
}

void MediaPlayer::start() {
    if (engine_->state() == PlaybackEngine::State::Stopped && !engine_->prepared())
        engine_->prepare(OpenWithin(fileName_));
    engine_->play(resumeAt_, startPaused_);
    resumeAt_ = 0;
    startPaused_ = false;
}

void MediaPlayer::setFileName(const std::string& path) {
    if (path != fileName_) {
        resumeAt_ = 0;
        startPaused_ = false;
    }
    fileName_ = path;
    fileChanged_ = true;
    try {
        if (path.empty()) {
            engine_->unload();
        } else {
            load(path);
            if (autoStart_) start();
        }
    } catch (...) {
        noteState();
        throw;
    }
    noteState();
}

std::string MediaPlayer::fileName() const { return fileName_; }

void MediaPlayer::setAutoStart(bool autoStart) { autoStart_ = autoStart; }

void MediaPlayer::play() {
    // Nothing valid loaded: an empty name, or a file that failed to open
    // (and may have been mended since).
    if (!engine_->loaded()) {
        if (fileName_.empty()) throw MakeError(ErrNo::FileNotFound);
        load(fileName_);
    }
    try {
        start();
    } catch (...) {
        noteState();
        throw;
    }
    noteState();
}

void MediaPlayer::pause() {
    engine_->pause();
    noteState();
}

void MediaPlayer::stop() {
    resumeAt_ = 0;
    engine_->stop();
    noteState();
    // Back to 0 also from a stopped file: the place kept after a lost device,
    // or the last moments of a file that ended, still heard.
    emit positionJumped();
}

MediaComponent::State MediaPlayer::state() const {
    switch (engine_->state()) {
    case PlaybackEngine::State::Playing: return State::Playing;
    case PlaybackEngine::State::Paused: return State::Paused;
    case PlaybackEngine::State::Stopped: break;
    }
    return State::Stopped;
}

void MediaPlayer::seek(double seconds) {
    engine_->seek(seconds);
    noteState();
    emit positionJumped();
}

double MediaPlayer::currentPosition() const {
    if (!engine_) return 0.0;
    if (resumeAt_ > 0 && engine_->state() == PlaybackEngine::State::Stopped) return resumeAt_;
    return engine_->position();
}

bool MediaPlayer::positionRuns() const { return engine_ && engine_->positionRuns(); }

double MediaPlayer::duration() const { return engine_ && engine_->loaded() ? engine_->duration() : 0.0; }

void MediaPlayer::onEnded(uint64_t sessionId, const PlaybackEngine::TrackEnd& end) {
    if (!engine_ || !engine_->finishSession(sessionId)) return;  // stale: stopped or replaced meanwhile
    if (end.cause == PlaybackEngine::TrackEnd::Cause::DeviceFailed) {
        // Not the end of the file: it keeps its place for the next Play.
        qCInfo(lcMedia) << "the sound device was lost playing" << QString::fromStdString(fileName_) << "at"
                        << end.resumeAt << "s:" << QString::fromStdString(end.detail);
        resumeAt_ = std::max(end.resumeAt, 1e-6);
        endFailedUnheard_ = false;
        noteState();
        emit deviceLost(QString::fromStdString(end.detail));
        return;
    }
    const bool failed = end.cause != PlaybackEngine::TrackEnd::Cause::Finished;
    if (failed)
        qCInfo(lcMedia) << "playback of" << QString::fromStdString(fileName_)
                        << "broke off:" << QString::fromStdString(end.detail) << "after" << end.framesPlayed
                        << "frames";
    endFailedUnheard_ = failed && end.framesPlayed < kHeardFrames;
    noteState();
    emit endReached();
}
