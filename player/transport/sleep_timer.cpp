#include "transport/sleep_timer.h"

#include "media/media_component.h"

SleepTimer::SleepTimer(MediaComponent& media, std::chrono::milliseconds minute, QObject* parent)
    : QObject(parent), media_(media), minute_(minute) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::VeryCoarseTimer);  // a second either way is nothing here
    connect(&timer_, &QTimer::timeout, this, &SleepTimer::expire);
    // Not once the fade's own pause (or the user's) has come.
    fallback_.setSingleShot(true);
    connect(&fallback_, &QTimer::timeout, this, [this] {
        if (media_.state() == MediaComponent::State::Playing) media_.pause();
    });
    connect(&media_, &MediaComponent::stateChanged, this, [this] {
        if (media_.state() == MediaComponent::State::Paused) fallback_.stop();
    });
}

void SleepTimer::setMinutes(int minutes) {
    minutes_ = std::max(0, minutes);
    if (minutes_ > 0) {
        until_ = QDeadlineTimer(minute_ * minutes_);
        timer_.start(minute_ * minutes_);
    } else {
        timer_.stop();
    }
    emit changed();
}

int SleepTimer::minutesLeft() const {
    if (minutes_ == 0) return 0;
    const qint64 minute = minute_.count();
    return static_cast<int>((until_.remainingTime() + minute - 1) / minute);
}

// The fade ends in a pause; a file that ended during it and left another
// playing at the full level (in a device of another format) is paused at its
// end too.
void SleepTimer::expire() {
    minutes_ = 0;
    if (media_.state() == MediaComponent::State::Playing) {
        media_.fadeOutAndPause(kFadeSeconds);
        fallback_.start(std::chrono::seconds(kFadeSeconds + 1));
    }
    emit changed();
}
