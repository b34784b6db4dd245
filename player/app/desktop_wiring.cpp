#include "app/desktop_wiring.h"

#include "app/player.h"
#include "desktop/mpris.h"
#include "desktop/single_instance.h"
#include "desktop/sleep_inhibitor.h"
#include "desktop/track_notifier.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>

namespace {
void BringUp(frmMain* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
}  // namespace

MprisService* ConnectToDesktop(Player& player, InstanceService* instance) {
    frmMain* window = &player.window;
    Transport* transport = &player.transport;
    auto* mpris = new MprisService(*transport, *player.media, window);
    mpris->raise = [window] { BringUp(window); };
    mpris->quit = [window] { window->lblExit_Click(); };
    mpris->busy = [] { return QApplication::activeModalWidget() != nullptr; };
    // The desktop's volume is the window's: a write is one completed change
    // of its slider, which sets the master volume.
    VolumeLevel* volume = &player.volume;
    mpris->readVolume = [volume] { return volume->value(); };
    mpris->writeVolume = [volume](int percent) { volume->setValue(percent); };
    QObject::connect(volume, &VolumeLevel::valueChanged, mpris, &MprisService::VolumeChanged);
    mpris->coverFolder =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/covers"))
            .toStdString();
    mpris->Register();
    // A notification at each new track, and no suspend while playing.
    if (TrackNotifier::Wanted())
        new TrackNotifier(
            *player.media, [mpris] { return mpris->CurrentInfo(); }, window);
    new SleepInhibitor(*player.media, window);

    if (!instance) {
        instance = new InstanceService;
        instance->Register();
    }
    instance->setParent(window);
    instance->busy = mpris->busy;
    instance->setOpen([window, transport](const std::vector<std::string>& files) {
        transport->Open(files);
        BringUp(window);
    });
    return mpris;
}
