#include "window/media_player_bar.h"

#include "common/dialogs.h"
#include "common/error_text.h"
#include "common/time_format.h"
#include "media/media_component.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setSingleStep(5000);
    setPageStep(30000);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QSlider::sliderReleased, this, [this] { emit seekRequested(value()); });
    // A step of the keyboard (not a drag, which seeks on release).
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action != SliderMove && action != SliderNoAction && !isSliderDown()) emit seekRequested(sliderPosition());
    });
}

QRect SeekSlider::partRect(QStyle::SubControl part) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, part, this);
}

void SeekSlider::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QRect handle = partRect(QStyle::SC_SliderHandle);
    if (event->button() == Qt::LeftButton && maximum() > minimum() && !handle.contains(at)) {
        // The place pressed, as a share of the whole groove: 96 % along is
        // 96 % of the file. The handle drawn there stays under the pointer
        // (its centre can reach only the groove less half a handle at each
        // end, and is never more than half a handle away).
        const QRect groove = partRect(QStyle::SC_SliderGroove);
        setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), at.x() - groove.left(), groove.width()));
    }
    // The handle is under the pointer now: the press grabs it, and the
    // release (of a click, or after a drag) seeks once.
    QSlider::mousePressEvent(event);
}

void SeekSlider::wheelEvent(QWheelEvent* event) {
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before && !isSliderDown()) emit seekRequested(value());
}

MediaPlayerBar::MediaPlayerBar(MediaComponent& media, QWidget* parent) : QWidget(parent), media_(media) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    playButton_ = new QToolButton(this);
    playButton_->setObjectName(QStringLiteral("playPauseButton"));
    playButton_->setAccessibleName(tr("Play"));
    stopButton_ = new QToolButton(this);
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    stopButton_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    stopButton_->setToolTip(tr("Stop"));
    stopButton_->setAccessibleName(tr("Stop"));
    slider_ = new SeekSlider(this);
    slider_->setObjectName(QStringLiteral("seekSlider"));
    slider_->setRange(0, 0);
    slider_->setAccessibleName(tr("Position"));
    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("positionReadout"));
    readout_->setAccessibleName(tr("Elapsed and total time"));
    layout->addWidget(playButton_);
    layout->addWidget(stopButton_);
    layout->addWidget(slider_, 1);
    layout->addWidget(readout_);

    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    refresh_->setTimerType(Qt::PreciseTimer);
    connect(refresh_, &QTimer::timeout, this, &MediaPlayerBar::refresh);
    connect(playButton_, &QToolButton::clicked, this, &MediaPlayerBar::playPauseClicked);
    connect(stopButton_, &QToolButton::clicked, this, [this] { media_.stop(); });
    connect(slider_, &SeekSlider::seekRequested, this, [this](int ms) { media_.seek(ms / 1000.0); });
    connect(slider_, &QSlider::sliderMoved, this, &MediaPlayerBar::refresh);  // the time under the handle
    connect(&media_, &MediaComponent::stateChanged, this, &MediaPlayerBar::refresh);
    connect(&media_, &MediaComponent::lengthKnown, this, &MediaPlayerBar::refresh);
    connect(&media_, &MediaComponent::positionJumped, this, &MediaPlayerBar::refresh);
    connect(&media_, &MediaComponent::enabledChanged, this, &QWidget::setEnabled);
    setEnabled(media_.componentEnabled());
    refresh();
}

void MediaPlayerBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void MediaPlayerBar::refresh() {
    // A hidden bar (as it starts) is brought up to date when it is shown, a
    // minimized one when its window comes back.
    if (!isVisible() || window()->isMinimized()) {
        refresh_->stop();
        return;
    }
    const bool playing = media_.state() == MediaComponent::State::Playing;
    // The icons are made once; the button changes only when the state does.
    if (playIcon_.isNull()) {
        playIcon_ = style()->standardIcon(QStyle::SP_MediaPlay);
        pauseIcon_ = style()->standardIcon(QStyle::SP_MediaPause);
    }
    if (shownPlaying_ != (playing ? 1 : 0)) {
        shownPlaying_ = playing ? 1 : 0;
        playButton_->setIcon(playing ? pauseIcon_ : playIcon_);
        playButton_->setToolTip(playing ? tr("Pause") : tr("Play"));
        playButton_->setAccessibleName(playButton_->toolTip());
    }
    const double total = media_.duration();
    const double now = media_.currentPosition();
    slider_->setMaximum(static_cast<int>(std::lround(total * 1000)));
    // While the handle is dragged it shows the time under it.
    const bool dragged = slider_->isSliderDown();
    if (!dragged) slider_->setValue(static_cast<int>(std::lround(now * 1000)));
    QString text =
        FormatTime(dragged ? slider_->sliderPosition() / 1000.0 : now) + QStringLiteral(" / ") + FormatTime(total);
    if (text != readout_->text()) readout_->setText(text);
    // While the position runs on (playing, or the last moments of a file
    // that ended), the bar wakes when something it shows will change: the
    // readout at the next whole second, the slider when its handle moves a
    // pixel; never more often than every 100 ms nor less than once a second.
    if (!media_.positionRuns()) {
        refresh_->stop();
        return;
    }
    const double toNextSecond = (std::floor(now) + 1 - now) * 1000 + 5;
    const double perPixel = total * 1000 / std::max(1, slider_->width());
    refresh_->start(static_cast<int>(std::clamp(std::min(toNextSecond, perPixel), 100.0, 1000.0)));
}

void MediaPlayerBar::playPauseClicked() {
    try {
        if (media_.state() == MediaComponent::State::Playing)
            media_.pause();
        else
            media_.play();
    } catch (const std::exception& e) {
        ShowErrorBox(this, ErrorText(e));
    }
    refresh();
}
