// The component as the rest of the program sees it. Everything here runs on
// the UI thread; the only code that runs elsewhere is the engine's ended and
// measured callbacks, which post queued calls carrying their ids.
#include "media/media_player.h"

#include "common/app_error.h"
#include "common/log.h"
#include "engine/alsa_output.h"

MediaPlayer::MediaPlayer(QObject* parent)
    : MediaPlayer([] { return std::unique_ptr<AudioOutput>(new AlsaOutput()); }, parent) {}

MediaPlayer::MediaPlayer(PlaybackEngine::OutputFactory outputs, QObject* parent) : MediaComponent(parent) {
    engine_ =
        std::make_unique<PlaybackEngine>(std::move(outputs), [this](uint64_t id, const PlaybackEngine::TrackEnd& end) {
            // Worker thread: hand the report to the UI thread.
            QMetaObject::invokeMethod(
                this, [this, id, end] { onEnded(id, end); }, Qt::QueuedConnection);
        });
    engine_->setMeasuredCallback([this](uint64_t load) {
        // Measuring thread: the length is told on the UI thread.
        QMetaObject::invokeMethod(
            this,
            [this, load] {
                if (!engine_ || !engine_->finishMeasuring(load)) return;
                emit lengthKnown();
            },
            Qt::QueuedConnection);
    });
}

MediaPlayer::~MediaPlayer() {
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
    // The length is told once measured, apart from this thread.
    engine_->load([path] { return Decoder::OpenFile(path); });
}

void MediaPlayer::setFileName(const std::string& path) {
    fileName_ = path;
    fileChanged_ = true;
    try {
        if (path.empty()) {
            engine_->unload();
        } else {
            load(path);
            if (autoStart_) engine_->play();
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
        engine_->play();
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
    engine_->stop();
    noteState();
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

double MediaPlayer::currentPosition() const { return engine_ ? engine_->position() : 0.0; }

double MediaPlayer::duration() const { return engine_ && engine_->loaded() ? engine_->duration() : 0.0; }

void MediaPlayer::onEnded(uint64_t sessionId, const PlaybackEngine::TrackEnd& end) {
    if (!engine_ || !engine_->finishSession(sessionId)) return;  // stale: stopped or replaced meanwhile
    const bool failed = end.cause != PlaybackEngine::TrackEnd::Cause::Finished;
    if (failed)
        qCInfo(lcMedia) << "playback of" << QString::fromStdString(fileName_)
                        << "broke off:" << QString::fromStdString(end.detail) << "after" << end.framesPlayed
                        << "frames";
    endFailedUnheard_ = failed && end.framesPlayed < kHeardFrames;
    noteState();
    emit endReached();
}
