// Corvalle's MP3 Player: start-up.
#include "frm_main.h"
#include "media_player.h"
#include "mpris.h"

#include <QApplication>
#include <QPointer>

namespace Module1 {
QPointer<frmMain> MainWindow;

// Creates and loads the main window, applies the settings, shows it.
void Main() {
    auto* window = new frmMain(new MediaPlayer);
    window->setAttribute(Qt::WA_DeleteOnClose);
    MainWindow = window;
    window->Form_Load();
    window->LoadSettings();
    window->show();
    // Media keys and desktop controls, when there is a session bus.
    (new MprisService(window))->Register();
}
}  // namespace Module1

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvalle's MP3 Player"));
    Module1::Main();
    int rc = app.exec();
    // Exit ends the event loop with the window still there: release the
    // player (its thread and sound device) before the process ends.
    delete Module1::MainWindow.data();
    return rc;
}
