#pragma once
// MediaPlayer, the real media player component: a PlaybackEngine (libmpg123
// and libpulse or ALSA) behind the MediaComponent operations. Engine reports reach the
// UI thread as queued calls and are dropped when they belong to a file or a
// playback that is no longer current.
#include "engine/output_list.h"
#include "engine/playback_engine.h"
#include "media/media_component.h"

#include <algorithm>
#include <cstdint>
#include <memory>

class MediaPlayer : public MediaComponent {
    Q_OBJECT
public:
    // Plays to the PulseAudio (or PipeWire) server, or where none answers
    // through ALSA's "default".
    explicit MediaPlayer(QObject* parent = nullptr);
    explicit MediaPlayer(PlaybackEngine::OutputFactory outputs, QObject* parent = nullptr);
    ~MediaPlayer() override;

    void setComponentEnabled(bool enabled) override;
    bool componentEnabled() const override { return enabled_; }
    void setFileName(const std::string& path) override;
    std::string fileName() const override;
    void setAutoStart(bool autoStart) override;
    void play() override;
    void stop() override;
    void pause() override;
    void setStartPosition(double seconds, bool paused) override {
        resumeAt_ = std::max(0.0, seconds);
        startPaused_ = paused;
    }
    void setLevelling(const Decoder::Levelling& levelling) override { engine_->setLevelling(levelling); }
    void setEqualizer(const EqualizerCurve& curve) override { engine_->setEqualizer(curve); }
    void setOutputDevice(const std::string& name) override { engine_->setOutputDevice(name); }
    void listOutputs() override;
    void seek(double seconds) override;
    void fadeOutAndPause(double seconds) override { engine_->fadeOutAndPause(seconds); }
    State state() const override;
    double currentPosition() const override;
    bool positionRuns() const override;
    double duration() const override;
    bool endFailedUnheard() const override { return endFailedUnheard_; }

    // How long a lost sound device is tried again before deviceLost.
    void setDeviceRetry(std::chrono::milliseconds retry) { engine_->setDeviceRetry(retry); }

private:
    // Opens `path` for the engine; the length is reported once it has been
    // measured (on its own thread), unless another file was set meanwhile.
    void load(const std::string& path);
    // Starts the engine, from where the device was lost if it was.
    void start();
    void onEnded(uint64_t sessionId, const PlaybackEngine::TrackEnd& end);
    // A file that broke off having played fewer frames than this (a tenth of
    // a second at 48 kHz) was not heard: what decodes before a read fails
    // is played, and the first MPEG frame of a damaged file is a millisecond
    // or two of sound.
    static constexpr int64_t kHeardFrames = 4800;
    // Reports a change of state (or of the file) once.
    void noteState();

    std::unique_ptr<PlaybackEngine> engine_;
    std::unique_ptr<OutputList> outputs_;  // once asked for
    std::string fileName_;
    bool autoStart_ = false;
    bool enabled_ = true;
    bool endFailedUnheard_ = false;
    double resumeAt_ = 0;       // where the next play starts (the device was lost there, say); 0: the start
    bool startPaused_ = false;  // and held there
    State reported_ = State::Stopped;
    bool fileChanged_ = false;  // a new file is news even in the same state
};
