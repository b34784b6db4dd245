// The component as the main window sees it. Everything here runs on the UI
// thread; the only code that runs elsewhere is the engine's ended callback,
// which posts a queued call carrying the session id.
#include "media_player.h"

#include "alsa_output.h"
#include "app_error.h"
#include "dialogs.h"
#include "time_format.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>


SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    connect(this, &QSlider::sliderReleased, this, [this] { emit seekRequested(value()); });
}

void SeekSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && maximum() > minimum()) {
        int span = width();
        int v = QStyle::sliderValueFromPosition(minimum(), maximum(), event->position().toPoint().x(), span);
        setValue(v);
        emit seekRequested(v);
        event->accept();
        return;
    }
    QSlider::mousePressEvent(event);
}

MediaPlayer::MediaPlayer(QWidget* parent)
    : MediaPlayer([] { return std::unique_ptr<AudioOutput>(new AlsaOutput()); }, parent) {}

MediaPlayer::MediaPlayer(PlaybackEngine::OutputFactory outputs, QWidget* parent) : MediaComponent(parent) {
    engine_ = std::make_unique<PlaybackEngine>(std::move(outputs), [this](uint64_t id, const PlaybackEngine::TrackEnd&) {
        // Worker thread: hand the report to the UI thread.
        QMetaObject::invokeMethod(this, [this, id] { onEnded(id); }, Qt::QueuedConnection);
    });
    engine_->setMeasuredCallback([this](uint64_t load) {
        // Measuring thread: the length is told on the UI thread.
        QMetaObject::invokeMethod(
            this,
            [this, load] {
                if (!engine_ || !engine_->finishMeasuring(load)) return;
                refreshBar();
                emit lengthKnown();
            },
            Qt::QueuedConnection);
    });
    buildBar();
    refreshBar();
}

MediaPlayer::~MediaPlayer() {
    // Join the workers while this object can still receive their posts.
    engine_.reset();
}

void MediaPlayer::buildBar() {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    playButton_ = new QToolButton(this);
    playButton_->setObjectName(QStringLiteral("playPauseButton"));
    stopButton_ = new QToolButton(this);
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    stopButton_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    stopButton_->setToolTip(QStringLiteral("Stop"));
    slider_ = new SeekSlider(this);
    slider_->setObjectName(QStringLiteral("seekSlider"));
    slider_->setRange(0, 0);
    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("positionReadout"));
    layout->addWidget(playButton_);
    layout->addWidget(stopButton_);
    layout->addWidget(slider_, 1);
    layout->addWidget(readout_);

    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    refresh_->setTimerType(Qt::PreciseTimer);
    connect(refresh_, &QTimer::timeout, this, &MediaPlayer::refreshBar);
    connect(playButton_, &QToolButton::clicked, this, &MediaPlayer::playPauseClicked);
    connect(stopButton_, &QToolButton::clicked, this, [this] { stop(); });
    connect(slider_, &SeekSlider::seekRequested, this, [this](int ms) { seek(ms / 1000.0); });
}

void MediaPlayer::showEvent(QShowEvent* event) {
    MediaComponent::showEvent(event);
    refreshBar();
}

void MediaPlayer::refreshBar() {
    if (state() != reported_) {
        reported_ = state();
        emit stateChanged();
    }
    // A hidden bar (as it starts) is brought up to date when it is shown.
    if (!isVisible()) {
        refresh_->stop();
        return;
    }
    const bool playing = isPlaying();
    // The icons are made once; the button changes only when the state does.
    if (playIcon_.isNull()) {
        playIcon_ = style()->standardIcon(QStyle::SP_MediaPlay);
        pauseIcon_ = style()->standardIcon(QStyle::SP_MediaPause);
    }
    if (shownPlaying_ != (playing ? 1 : 0)) {
        shownPlaying_ = playing ? 1 : 0;
        playButton_->setIcon(playing ? pauseIcon_ : playIcon_);
        playButton_->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    }
    const double total = duration();
    const double now = currentPosition();
    slider_->setMaximum(static_cast<int>(std::lround(total * 1000)));
    if (!slider_->isSliderDown()) slider_->setValue(static_cast<int>(std::lround(now * 1000)));
    QString text = FormatTime(now) + QStringLiteral(" / ") + FormatTime(total);
    if (text != readout_->text()) readout_->setText(text);
    // While playing, the bar wakes when something it shows will change: the
    // readout at the next whole second, the slider when its handle moves a
    // pixel; never more often than every 100 ms nor less than once a second.
    if (!playing) {
        refresh_->stop();
        return;
    }
    const double toNextSecond = (std::floor(now) + 1 - now) * 1000 + 5;
    const double perPixel = total * 1000 / std::max(1, slider_->width());
    refresh_->start(static_cast<int>(std::clamp(std::min(toNextSecond, perPixel), 100.0, 1000.0)));
}

void MediaPlayer::playPauseClicked() {
    try {
        if (isPlaying())
            pause();
        else
            play();
    } catch (const AppError& e) {
        ShowErrorBox(this, e.description());
    } catch (const std::exception& e) {
        ShowErrorBox(this, QString::fromLocal8Bit(e.what()));
    }
    refreshBar();
}

void MediaPlayer::setComponentEnabled(bool enabled) { setEnabled(enabled); }

void MediaPlayer::load(const std::string& path) {
    // The length is told once measured, apart from this thread.
    engine_->load([path] { return Decoder::OpenFile(path); });
}

void MediaPlayer::setFileName(const std::string& path) {
    fileName_ = path;
    reported_ = State(-1);  // a new file is news even in the same state
    try {
        if (path.empty()) {
            engine_->unload();
        } else {
            load(path);
            if (autoStart_) engine_->play();
        }
    } catch (...) {
        refreshBar();
        throw;
    }
    refreshBar();
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
        refreshBar();
        throw;
    }
    refreshBar();
}

void MediaPlayer::pause() {
    engine_->pause();
    refreshBar();
}

void MediaPlayer::stop() {
    engine_->stop();
    refreshBar();
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
    refreshBar();
}

double MediaPlayer::currentPosition() const { return engine_ ? engine_->position() : 0.0; }

double MediaPlayer::duration() const { return engine_ && engine_->loaded() ? engine_->duration() : 0.0; }

void MediaPlayer::onEnded(uint64_t sessionId) {
    if (!engine_ || !engine_->finishSession(sessionId)) return;  // stale: stopped or replaced meanwhile
    refreshBar();
    emit endReached();
}
