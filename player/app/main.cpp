// Corvalle's MP3 Player: start-up.
#include "app/desktop_wiring.h"
#include "common/app_identity.h"
#include "desktop/single_instance.h"
#include "media/media_player.h"
#include "search/frm_file_loader.h"
#include "tags/frm_edit_tag_information.h"
#include "transport/transport.h"
#include "window/frm_main.h"

#include <QApplication>
#include <QPointer>
#include <memory>

namespace Module1 {
QPointer<frmMain> MainWindow;

// Creates and loads the main window, applies the settings, shows it; then
// plays the files it was given, if any. `instance` holds the session's name
// for one window (if there is a bus) and now hands later starts' files over.
void Main(const std::vector<std::string>& files, InstanceService* instance) {
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
    ConnectToDesktop(window, instance);
    window->transport->Open(files);
}

// The sound server's mixers show the stream by the program's name and icon,
// and role-based rules (music ducking, volume per role) apply to it: libpulse
// (under the ALSA pulse plug-in) takes these from the environment when it
// connects. Properties the user set there already are kept.
void NameTheSoundStream() {
    const QByteArray ours =
        QByteArray("application.name=\"") + kAppName + "\" application.icon_name=" + kAppId + " media.role=music";
    const QByteArray theirs = qgetenv("PULSE_PROP_OVERRIDE");
    // The plug-in names itself ("ALSA plug-in [...]"), which only an override replaces.
    qputenv("PULSE_PROP_OVERRIDE", theirs.isEmpty() ? ours : ours + ' ' + theirs);
}
}  // namespace Module1

int main(int argc, char** argv) {
    Module1::NameTheSoundStream();
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(QString::fromLatin1(kAppName));
    // The desktop entry the window belongs to (its icon and name in a Wayland shell).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    const std::vector<std::string> files = FilesFromCommandLine(argc, argv);
    // One window in a session: the name is claimed before anything else, or
    // the player that holds it takes the files.
    auto instance = std::make_unique<InstanceService>();
    if (HandOverOrClaim(*instance, files)) return 0;
    Module1::Main(files, instance.release());
    int rc = app.exec();
    // Exit ends the event loop with the window still there: release the
    // player (its thread and sound device) before the process ends.
    delete Module1::MainWindow.data();
    return rc;
}
