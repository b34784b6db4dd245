// Start-up with a playlist of 32 767 entries of 80-character paths: from the
// start of a fresh process to the main window shown with entry 0 selected.
// `sort -f` over the same file is timed in the same run for reference.
//
// usage: startup_bench [runs]        (the child mode is internal)
#include "app/player.h"
#include "bench_util.h"
#include "media/media_player.h"
#include "playlist/playlist_model.h"
#include "window/frm_main.h"

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

int Child() {
    int argc = 1;
    char name[] = "startup_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Player player(new MediaPlayer, QDir::temp().filePath(QStringLiteral("corvalle-bench-preferences.conf")));
    frmMain& w = player.window;
    w.Form_Load();
    w.LoadSettings();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w, 5000)) return 3;
    QApplication::processEvents();
    if (w.ListIndex() != 0 || player.playlist.count() != PlaylistModel::kMaxEntries) return 4;
    return 0;
}

void WritePlaylist(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    unsigned seed = 12345;
    for (int i = 0; i < PlaylistModel::kMaxEntries; ++i) {
        std::string line = "/home/user/Music/";
        while (line.size() < 76) {
            seed = seed * 1103515245u + 12345u;
            line += static_cast<char>(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_"[(seed >> 16) % 65]);
        }
        line += ".mp3";
        out << line << "\r\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") return Child();
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QTemporaryDir dir;
    std::string folder = dir.path().toStdString();
    WritePlaylist(folder + "/FileListing.dat");
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 1;
    self[n] = 0;
    std::string child = "cd '" + folder + "' && '" + std::string(self) + "' --child";
    std::string sort = "sort -f '" + folder + "/FileListing.dat' > /dev/null";

    std::vector<double> ours, ref;
    bench::TimeCommandMs(child);  // warm the caches
    for (int i = 0; i < runs; ++i) {
        double t = bench::TimeCommandMs(child);
        if (t < 0) {
            std::fprintf(stderr, "startup_bench: the player did not start\n");
            return 2;
        }
        ours.push_back(t);
        ref.push_back(bench::TimeCommandMs(sort));
    }
    double o = bench::Median(ours), r = bench::Median(ref);
    std::printf("startup_32767  ours_ms=%.1f  sort_f_ms=%.1f  ratio=%.2f  runs=%d\n", o, r, r > 0 ? o / r : 0.0, runs);
    return 0;
}
