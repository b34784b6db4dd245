#include "desktop.h"

#include "frm_main.h"
#include "mpris.h"
#include "single_instance.h"
#include "transport.h"

#include <QFile>
#include <QScrollBar>
#include <QStandardPaths>

namespace {
void BringUp(frmMain* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
}  // namespace

MprisService* ConnectToDesktop(frmMain* window) {
    Transport* transport = window->transport;
    auto* mpris = new MprisService(*transport, *window->MediaPlayer1, window);
    mpris->raise = [window] { BringUp(window); };
    mpris->quit = [window] { window->lblExit_Click(); };
    // The desktop's volume is the window's slider: a write is one completed
    // change of it, which sets the master volume.
    QScrollBar* volume = window->HScroll_4_Volume;
    mpris->readVolume = [volume] { return volume->value(); };
    mpris->writeVolume = [volume](int percent) { volume->setValue(percent); };
    QObject::connect(volume, &QScrollBar::valueChanged, mpris, &MprisService::VolumeChanged);
    mpris->coverFolder =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/covers"))
            .toStdString();
    mpris->Register();

    auto* instance = new InstanceService(
        [window, transport](const std::vector<std::string>& files) {
            transport->Open(files);
            BringUp(window);
        },
        window);
    instance->Register();
    return mpris;
}
