// The main window on a real X server (tests/with-xvfb.sh): what the window
// manager reads as its title, and files dropped by a drag source in another
// process through XDND, as from a file manager.
#include "app/player.h"
#include "fake_dialogs.h"
#include "fake_media.h"
#include "playlist/playlist_model.h"
#include "test_support.h"
#include "window/frm_main.h"
#include "window/media_player_bar.h"
#include "window/playlist_view.h"

#include <QtGui/qguiapplication_platform.h>
#include <sys/stat.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace testsupport;

namespace {
// A property of a window as the window manager reads it; `present` tells
// whether the window has the property at all.
QByteArray Property(QWidget* w, const char* name, bool* present) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t id = atom ? atom->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(atom);
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, static_cast<xcb_window_t>(w->windowHandle()->winId()), id,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
                               nullptr);
    *present = reply && reply->type != XCB_ATOM_NONE;
    QByteArray value;
    if (reply)
        value =
            QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

// Runs xdotool to the end (it moves the real pointer of the X server).
bool XDo(const QStringList& args) { return QProcess::execute(QStringLiteral("xdotool"), args) == 0; }

// Counts the drag events a widget receives.
class DragCounter : public QObject {
public:
    int moves = 0;
    int drops = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::DragMove) ++moves;
        if (e->type() == QEvent::Drop) ++drops;
        return false;
    }
};
}  // namespace

class X11DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (run under tests/with-xvfb.sh)");
    }

    void emptyCaptionIsEmptyForTheWindowManager() {
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        FakeDialogs dialogs;
        const std::string missing = "/no/such/file.mp3";
        const std::string tagged = QFile::encodeName(dir.filePath(QStringLiteral("tagged.mp3"))).toStdString();
        std::string title = "Song", artist = "Band";
        title.resize(30, ' ');
        artist.resize(30, ' ');
        QVERIFY(WriteBytes(dir.filePath(QStringLiteral("tagged.mp3")),
                           std::string(200, 'x') + "TAG" + title + artist + std::string(64, ' ') + '\x01'));
        Player player(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& w = player.window;
        player.playlist.clear();
        player.playlist.addMany({missing, tagged});
        w.Form_Load();  // selects the missing file: an empty information line
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto expectTitle = [&](const QByteArray& text) {
            bool present = false;
            QCOMPARE(Property(&w, "_NET_WM_NAME", &present), text);
            if (text.isEmpty()) QCOMPARE(Property(&w, "WM_NAME", &present), QByteArray());
        };
        expectTitle(QByteArray());
        w.SelectEntry(1);
        expectTitle(w.windowTitle().toUtf8());
        QVERIFY(w.windowTitle().startsWith(QStringLiteral(" 1. - Song: Band")));
        w.SelectEntry(0);
        expectTitle(QByteArray());

        // With nothing to select, the window keeps its own caption.
        Player emptyPlayer(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& empty = emptyPlayer.window;
        emptyPlayer.playlist.clear();
        empty.Form_Load();
        empty.show();
        QVERIFY(QTest::qWaitForWindowExposed(&empty));
        bool present = false;
        QCOMPARE(Property(&empty, "_NET_WM_NAME", &present), QByteArray("Corvalle's MP3 Player"));
    }

    // A tap on the control bar's groove (a press and release within
    // milliseconds, as a touchpad's or xdotool's) seeks where it lands, as
    // a click held longer does.
    void tapOnTheGrooveSeeksThere() {
        if (!HaveProgram(QStringLiteral("xdotool"))) QSKIP("xdotool is not installed");
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        FakeDialogs dialogs;
        auto* media = new FakeMediaComponent;
        media->length = 65;
        Player player(media, testsupport::TempPreferences());
        frmMain& w = player.window;
        w.Form_Load();
        w.move(0, 0);
        w.show();
        w.MediaPlayer1->show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        media->play();
        emit media->lengthKnown();
        auto* slider = w.MediaPlayer1->findChild<SeekSlider*>(QStringLiteral("seekSlider"));
        QVERIFY(slider);
        QTRY_COMPARE(slider->maximum(), 65000);
        const QRect groove = slider->partRect(QStyle::SC_SliderGroove);
        for (const char* hold : {"0", "300"}) {
            media->calls.clear();
            const QPoint at =
                slider->mapToGlobal(QPoint(groove.left() + groove.width() * 96 / 100, groove.center().y()));
            QVERIFY(XDo({"mousemove", QString::number(at.x()), QString::number(at.y())}));
            QVERIFY(XDo({"mousedown", "1", "sleep", QString::number(std::atoi(hold) / 1000.0), "mouseup", "1"}));
            QTRY_VERIFY_WITH_TIMEOUT(media->calls.filter(QStringLiteral("seek=")).size() == 1, 5000);
            const double to = media->calls.filter(QStringLiteral("seek=")).at(0).mid(5).toDouble();
            QVERIFY2(std::abs(to - 62.4) < 1.0,
                     qPrintable(QStringLiteral("held %1 ms: %2 s").arg(QLatin1String(hold)).arg(to)));
        }
    }

    // A file manager's Shift+drag proposes a move, and deletes the files of a
    // move it sees accepted. The list takes the drop as a copy; the names,
    // one of them not UTF-8, arrive byte for byte.
    void movedFilesAreCopiedAndKept() {
        if (!HaveProgram(QStringLiteral("xdotool"))) QSKIP("xdotool is not installed");
        const QString source = qEnvironmentVariable("CORVALLE_DRAG_SOURCE");
        if (source.isEmpty()) QSKIP("CORVALLE_DRAG_SOURCE names no drag source program");
        QTemporaryDir dir;
        ScopedCurrentDir cd(dir.path());
        FakeDialogs dialogs;
        const std::string folder = QFile::encodeName(dir.path()).toStdString();
        const std::vector<std::string> files{folder + "/plain.mp3", folder + "/\xe9t\xe9.mp3"};
        ScopedPaths made;
        for (const std::string& f : files) {
            FILE* out = std::fopen(made.add(f).c_str(), "w");
            QVERIFY(out && std::fputs("mp3", out) >= 0 && std::fclose(out) == 0);
        }

        Player player(new FakeMediaComponent, testsupport::TempPreferences());
        frmMain& w = player.window;
        player.playlist.clear();
        w.Form_Load();
        w.move(0, 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        DragCounter counter;
        w.List1->viewport()->installEventFilter(&counter);

        QProcess drag;
        QStringList args{QStringLiteral("700"), QStringLiteral("100")};
        for (const std::string& f : files)
            args << QString::fromLatin1(QByteArray::fromStdString(f).toPercentEncoding());
        drag.start(source, args);
        QVERIFY(drag.waitForStarted(10000));
        QByteArray said;
        auto heard = [&](const char* line) {
            said += drag.readAllStandardOutput();
            return said.contains(line);
        };
        QTRY_VERIFY_WITH_TIMEOUT(heard("ready\n"), 10000);
        QVERIFY(XDo({"mousemove", "750", "150"}));
        QVERIFY(XDo({"mousedown", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(heard("dragging\n"), 10000);
        // Across to the list, a step at a time.
        const QPoint target = w.List1->viewport()->mapToGlobal(w.List1->viewport()->rect().center());
        for (int step = 1; step <= 8; ++step) {
            const QPoint p = QPoint(750, 150) + (target - QPoint(750, 150)) * step / 8;
            QVERIFY(XDo({"mousemove", QString::number(p.x()), QString::number(p.y())}));
        }
        // The source sends the next position only once the last one was
        // answered, and only on a move: nudge the pointer until the list has
        // seen the drag, and once more, so the source holds the list's answer.
        auto nudgeUntil = [&](int moves) {
            for (int nudge = 0; nudge < 40 && counter.moves < moves; ++nudge) {
                if (!XDo({"mousemove", QString::number(target.x() + nudge % 2), QString::number(target.y())}))
                    return false;
                (void)QTest::qWaitFor([&] { return counter.moves >= moves; }, 500);
            }
            return counter.moves >= moves;
        };
        QVERIFY(nudgeUntil(1));
        QVERIFY(nudgeUntil(counter.moves + 1));
        QVERIFY(XDo({"mouseup", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(counter.drops == 1, 10000);
        // The drop's outcome, the line after "dragging".
        QTRY_VERIFY_WITH_TIMEOUT((said += drag.readAllStandardOutput()).count('\n') >= 3, 10000);
        drag.closeWriteChannel();  // the file manager goes away
        QVERIFY(drag.waitForFinished(10000));
        said += drag.readAllStandardOutput();
        QCOMPARE(said, QByteArray("ready\ndragging\ncopy\n"));
        for (const std::string& f : files) {
            struct stat st {};
            QVERIFY2(::stat(f.c_str(), &st) == 0, f.c_str());
        }
        std::vector<std::string> expected = files;
        std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
            return PlaylistModel::SortKey(a) < PlaylistModel::SortKey(b);
        });
        QCOMPARE(player.playlist.entries(), expected);
    }
};

QTEST_MAIN(X11DesktopTest)
#include "x11_desktop_test.moc"
