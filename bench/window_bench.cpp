// Main-window figures: selecting an entry (tag read and caption), one tick of
// the elapsed-time timer, adding 32 767 dropped paths to an empty playlist, one
// keystroke of type-to-find in a list of 32 767 entries, and the resident set
// with 32 767 entries loaded.
#include "app/player.h"
#include "bench_util.h"
#include "media/media_player.h"
#include "playlist/playlist_model.h"
#include "window/frm_main.h"
#include "window/playlist_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <fstream>
#include <string>

namespace {
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

std::string Path(int i) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "/home/user/Music/Artist %05d/Album %03d/Track %05d - A Song Title.mp3",
                  (i * 7919) % 32768, i % 997, i);
    return buf;
}

// An MPEG-looking file with a space-padded ID3v1 tag at its end.
void WriteTaggedFile(const QString& path) {
    std::string bytes(4096, '\0');
    std::string tag = "TAG";
    tag += std::string("A Song Title") + std::string(18, ' ');
    tag += std::string("An Artist") + std::string(21, ' ');
    tag += std::string(30, ' ') + "1999" + std::string(30, ' ');
    tag += '\x11';
    bytes += tag;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}
}  // namespace

int main(int argc, char** argv) {
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const int runs = 7;

    // Selection: tag read and caption for a tagged file.
    {
        Player player(new MediaPlayer, QDir::temp().filePath(QStringLiteral("corvalle-bench-preferences.conf")));
        frmMain& w = player.window;
        player.playlist.clear();
        std::vector<std::string> files;
        for (int i = 0; i < 2; ++i) {
            QString p = dir.filePath(QStringLiteral("t%1.mp3").arg(i));
            WriteTaggedFile(p);
            files.push_back(p.toStdString());
        }
        player.playlist.addMany(files);
        std::vector<double> samples;
        for (int i = 0; i < 2000; ++i) {
            double t0 = bench::NowMs();
            w.SelectEntry(i % 2);
            samples.push_back(bench::NowMs() - t0);
        }
        std::printf("select_entry  ours_ms=%.4f  target_ms=1.0  ratio=%.3f\n", bench::Median(samples),
                    bench::Median(samples) / 1.0);
        samples.clear();
        for (int i = 0; i < 20000; ++i) {
            double t0 = bench::NowMs();
            w.Timer1_Timer();
            samples.push_back(bench::NowMs() - t0);
        }
        std::printf("timer_tick  ours_ms=%.5f  target_ms=0.1  ratio=%.3f\n", bench::Median(samples),
                    bench::Median(samples) / 0.1);
    }

    // Adding 32 767 dropped paths to an empty playlist.
    {
        QList<QUrl> urls;
        for (int i = 0; i < PlaylistModel::kMaxEntries; ++i)
            urls << QUrl::fromLocalFile(QString::fromStdString(Path(i)));
        QMimeData mime;
        mime.setUrls(urls);
        std::vector<double> samples;
        for (int r = 0; r < runs; ++r) {
            Player player(new MediaPlayer, QDir::temp().filePath(QStringLiteral("corvalle-bench-preferences.conf")));
            frmMain& w = player.window;
            player.playlist.clear();
            w.show();
            QApplication::processEvents();
            double t0 = bench::NowMs();
            w.List1_OLEDragDrop(&mime);
            QApplication::processEvents();
            samples.push_back(bench::NowMs() - t0);
            if (player.playlist.count() != PlaylistModel::kMaxEntries) return 2;
        }
        std::printf("drop_32767  ours_ms=%.1f  target_ms=300  ratio=%.3f\n", bench::Median(samples),
                    bench::Median(samples) / 300.0);
    }

    // Type to find: one key typed into the focused list of 32 767 entries,
    // the entry found selected (its tag read, the caption set) and painted.
    // Only the last entry's file name begins with "z", so each keystroke (a
    // new search from the first entry) walks the whole list.
    {
        Player player(new MediaPlayer, QDir::temp().filePath(QStringLiteral("corvalle-bench-preferences.conf")));
        frmMain& w = player.window;
        std::vector<std::string> entries;
        for (int i = 0; i < PlaylistModel::kMaxEntries - 1; ++i) entries.push_back(Path(i));
        entries.push_back("/home/user/Music/zz last/Zq final.mp3");
        player.playlist.clear();
        player.playlist.addMany(entries);
        w.show();
        w.SelectEntry(0);
        w.List1->setFocus();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        std::vector<double> samples;
        w.List1->typingPause = 0;
        for (int i = 0; i < 200; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
            double t0 = bench::NowMs();
            QApplication::sendEvent(w.List1, &press);
            QApplication::processEvents();
            samples.push_back(bench::NowMs() - t0);
            if (player.playlist.at(w.ListIndex()) != entries.back()) return 3;
            w.SelectEntry(0);
            QApplication::processEvents();
        }
        std::printf("type_to_find_32767  ours_ms=%.3f  target_ms=10  ratio=%.3f\n", bench::Median(samples),
                    bench::Median(samples) / 10.0);
    }

    // Resident set with 32 767 entries loaded and shown.
    {
        Player player(new MediaPlayer, QDir::temp().filePath(QStringLiteral("corvalle-bench-preferences.conf")));
        frmMain& w = player.window;
        std::vector<std::string> entries;
        for (int i = 0; i < PlaylistModel::kMaxEntries; ++i) entries.push_back(Path(i));
        player.playlist.clear();
        player.playlist.addMany(entries);
        w.show();
        w.SelectEntry(0);
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        double mb = ResidentKb() / 1024.0;
        std::printf("rss_32767  ours_mb=%.1f  target_mb=80  ratio=%.3f\n", mb, mb / 80.0);
    }
    return 0;
}
