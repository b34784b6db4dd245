#include "app/player.h"

#include "common/file_util.h"
#include "media/media_component.h"
#include "transport/resume_point.h"

Player::Player(MediaComponent* component, const QString& preferencesFile, VolumeSetter::Apply mixer)
    : media(component), preferences(preferencesFile), mixer(std::move(mixer)) {
    transport.setPreferences(&preferences);
}

// The window goes first (its handlers are cut off), then the commands, and
// the component last, which stops and releases its threads and device.
Player::~Player() = default;

void ResumeWhereStopped(Player& player, bool nothingOpened, const QString& file) {
    if (player.preferences.resume() && nothingOpened) {
        const std::optional<ResumePoint> point = ReadResumePoint(file);
        if (point && IsRegularFile(point->path)) player.transport.Resume(point->path, point->seconds, point->paused);
    }
    // The point is kept while the preference is on; turned off, it is
    // forgotten.
    auto* keeper = new ResumeKeeper(*player.media, player.transport, file, &player.window);
    keeper->setEnabled(player.preferences.resume());
    QObject::connect(&player.preferences, &Preferences::changed, keeper, [&player, keeper, file] {
        const bool on = player.preferences.resume();
        if (!on && keeper->enabled()) WriteResumePoint(file, std::nullopt);
        keeper->setEnabled(on);
    });
}
