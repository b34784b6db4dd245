#pragma once
// The main window over a recording double of the media player component and
// of the message boxes, in a folder of its own as the current directory.
#include <unistd.h>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>
#include "app/player.h"
#include "common/file_util.h"
#include "fake_dialogs.h"
#include "fake_media.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_model.h"
#include "search/frm_file_loader.h"
#include "test_support.h"
#include "transport/transport.h"
#include "volume/volume_controler.h"
#include "window/command_label.h"
#include "window/frm_main.h"
#include "window/media_player_bar.h"
#include "window/playlist_view.h"

using namespace testsupport;

namespace windowtest {
// The volumes the window set, and on which output (set on the volume's own
// thread, read on the test's).
struct Volumes {
    std::mutex mutex;
    std::vector<std::pair<int, std::string>> set;
    std::vector<std::pair<int, std::string>> all() {
        std::lock_guard<std::mutex> lock(mutex);
        return set;
    }
};

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<ScopedCurrentDir> cd;
    FakeDialogs dialogs;
    FakeMediaComponent* media = nullptr;
    std::unique_ptr<Player> player;
    frmMain* w = nullptr;
    int exits = 0;
    std::shared_ptr<Volumes> volumes = std::make_shared<Volumes>();

    explicit Fixture(const std::vector<std::string>& entries = {}, bool load = true) {
        cd = std::make_unique<ScopedCurrentDir>(dir.path());
        media = new FakeMediaComponent;
        player = std::make_unique<Player>(media, dir.filePath(QStringLiteral("preferences.conf")),
                                          [volumes = volumes](int32_t volume, const std::string& output) {
                                              std::lock_guard<std::mutex> lock(volumes->mutex);
                                              volumes->set.emplace_back(volume, output);
                                              return true;
                                          });
        w = &player->window;
        w->ExitProgram = [this] { ++exits; };
        if (!entries.empty()) {
            player->playlist.clear();
            player->playlist.addMany(entries);
        }
        if (load) w->Form_Load();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

inline QPoint Center(QWidget* w) { return w->rect().center(); }

inline void ClickRow(PlaylistView* list, int row, Qt::MouseButton button = Qt::LeftButton) {
    QRect r = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), button, Qt::NoModifier, r.center());
}
}  // namespace windowtest

using namespace windowtest;
