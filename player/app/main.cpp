// Corvalle's MP3 Player: start-up.
#include "app/desktop_wiring.h"
#include "desktop/single_instance.h"
#include "media/media_player.h"
#include "search/frm_file_loader.h"
#include "tags/frm_edit_tag_information.h"
#include "transport/transport.h"
#include "window/frm_main.h"

#include <QApplication>
#include <QPointer>

namespace Module1 {
QPointer<frmMain> MainWindow;

// Creates and loads the main window, applies the settings, shows it; then
// plays the files it was given, if any.
void Main(const std::vector<std::string>& files) {
    auto* window = new frmMain(new MediaPlayer);
    window->setAttribute(Qt::WA_DeleteOnClose);
    MainWindow = window;
    window->ShowTagEditor = [](QWidget* parent, const std::string& path) {
        frmEditTagInformation::ShowModal(parent, path);
    };
    window->ShowFileLoader = [](QWidget* parent, const frmFileLoader::AddFunction& add) {
        frmFileLoader::Run(parent, add);
    };
    window->Form_Load();
    window->LoadSettings();
    window->show();

    // Media keys and desktop controls, and the files of later starts, when
    // there is a session bus.
    ConnectToDesktop(window);
    window->transport->Open(files);
}
}  // namespace Module1

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("Corvalle's MP3 Player"));
    // The desktop entry the window belongs to (its icon and name in a Wayland shell).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvalle.Mp3Player"));
    const std::vector<std::string> files = FilesFromCommandLine(argc, argv);
    // One window in a session: a running player takes the files.
    if (HandToRunningPlayer(files)) return 0;
    Module1::Main(files);
    int rc = app.exec();
    // Exit ends the event loop with the window still there: release the
    // player (its thread and sound device) before the process ends.
    delete Module1::MainWindow.data();
    return rc;
}
