// Corvalle's MP3 Player: start-up.
#include "app/desktop_wiring.h"
#include "app/player.h"
#include "common/app_identity.h"
#include "common/translation.h"
#include "desktop/single_instance.h"
#include "media/media_player.h"
#include "search/frm_file_loader.h"
#include "tags/frm_edit_tag_information.h"
#include "transport/resume_point.h"

#include <QApplication>
#include <memory>

namespace Module1 {
std::unique_ptr<Player> ThePlayer;

// Makes the player's parts and its main window, loads the window, applies
// the settings, shows it; then plays the files it was given, if any.
// `instance` holds the session's name for one window (if there is a bus) and
// now hands later starts' files over.
void Main(const std::vector<std::string>& files, InstanceService* instance) {
    ThePlayer = std::make_unique<Player>(new MediaPlayer, Preferences::DefaultFile());
    frmMain* window = &ThePlayer->window;
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
    ConnectToDesktop(*ThePlayer, instance);
    ThePlayer->transport.Open(files);
    ResumeWhereStopped(*ThePlayer, files.empty(), DefaultResumeFile());
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
    InstallTranslations();
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
    Module1::ThePlayer.reset();
    return rc;
}
