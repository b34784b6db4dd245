// Corvalle's MP3 Player: start-up.
#include "file_util.h"
#include "frm_edit_tag_information.h"
#include "frm_file_loader.h"
#include "frm_main.h"
#include "media_player.h"
#include "mpris.h"
#include "tag_record.h"

#include <QApplication>
#include <QPointer>

namespace Module1 {
QPointer<frmMain> MainWindow;

// Creates and loads the main window, applies the settings, shows it.
void Main() {
    auto* window = new frmMain(new MediaPlayer);
    window->setAttribute(Qt::WA_DeleteOnClose);
    MainWindow = window;
    window->ShowTagEditor = [](QWidget* parent) { frmEditTagInformation::ShowModal(parent); };
    window->ShowFileLoader = [](QWidget* parent, PlaylistModel* list) { frmFileLoader::Run(parent, list); };
    MprisService::ReadTitleArtist = [](const std::string& path) {
        TagReadResult tag = ReadTagRecord(path);
        if (tag.status != TagStatus::Found) return QStringList();
        return QStringList{DisplayText(tag.record.Title, sizeof tag.record.Title),
                           DisplayText(tag.record.Artist, sizeof tag.record.Artist)};
    };
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
