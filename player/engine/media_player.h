#pragma once
// MediaPlayer, the real media player component: a PlaybackEngine (libmpg123
// and ALSA) behind the MediaComponent operations, with its own control bar:
// play/pause, stop, a seek slider and an "mm:ss / mm:ss" readout. Engine
// reports reach the UI thread as queued calls and are dropped when they
// belong to a file or a playback that is no longer current.
#include "media_component.h"
#include "playback_engine.h"

#include <QIcon>
#include <QSlider>
#include <cstdint>
#include <memory>

class QLabel;
class QTimer;
class QToolButton;

// A slider that jumps to the clicked point and reports a seek when a click
// or a drag is complete.
class SeekSlider : public QSlider {
    Q_OBJECT
public:
    explicit SeekSlider(QWidget* parent = nullptr);
signals:
    void seekRequested(int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class MediaPlayer : public MediaComponent {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);  // plays through ALSA "default"
    MediaPlayer(PlaybackEngine::OutputFactory outputs, QWidget* parent = nullptr);
    ~MediaPlayer() override;

    void setComponentEnabled(bool enabled) override;
    void setFileName(const std::string& path) override;
    std::string fileName() const override;
    void setAutoStart(bool autoStart) override;
    void play() override;
    void stop() override;
    void pause() override;
    void seek(double seconds) override;
    State state() const override;
    double currentPosition() const override;
    double duration() const override;

    bool isPlaying() const { return state() == State::Playing; }
    bool isPaused() const { return state() == State::Paused; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildBar();
    // Opens `path` for the engine; the length is reported once it has been
    // measured (on its own thread), unless another file was set meanwhile.
    void load(const std::string& path);
    void onEnded(uint64_t sessionId);
    void playPauseClicked();
    // Brings the bar up to date and reports a change of state.
    void refreshBar();

    std::unique_ptr<PlaybackEngine> engine_;
    std::string fileName_;
    bool autoStart_ = false;

    QToolButton* playButton_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    SeekSlider* slider_ = nullptr;
    QLabel* readout_ = nullptr;
    QTimer* refresh_ = nullptr;
    QIcon playIcon_, pauseIcon_;
    int shownPlaying_ = -1;  // the state the play/pause button shows
    State reported_ = State::Stopped;
};
