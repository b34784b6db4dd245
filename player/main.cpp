// Corvalle's MP3 Player: start-up.
#include "frm_main.h"
#include "media_player.h"
#include "mpris.h"

#include <QApplication>

namespace Module1 {
// Creates and loads the main window, applies the settings, shows it.
void Main() {
    auto* window = new frmMain(new MediaPlayer);
    window->setAttribute(Qt::WA_DeleteOnClose);
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
    return app.exec();
}
