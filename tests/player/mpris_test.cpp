// The MPRIS2 interface on a private session bus, called from outside the
// process with dbus-send, drives the real window.
#include "fake_dialogs.h"
#include "fake_media.h"
#include "frm_main.h"
#include "module1.h"
#include "mpris.h"
#include "playlist_model.h"
#include "test_support.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace testsupport;

class MprisTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void noSessionBusSaysNothing();
    void commandsFromTheBus();

private:
    // Runs dbus-send against the private bus while the event loop goes on.
    QString Send(const QStringList& args);
    QString address_;
    qint64 pid_ = 0;
};

void MprisTest::initTestCase() {
    if (!HaveProgram(QStringLiteral("dbus-daemon")) || !HaveProgram(QStringLiteral("dbus-send")))
        QSKIP("dbus-daemon is not installed");
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--fork", "--print-address=1", "--print-pid=1"});
    QVERIFY(daemon.waitForFinished(10000));
    QStringList lines = QString::fromLocal8Bit(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 2, "dbus-daemon printed no address");
    address_ = lines[0].trimmed();
    pid_ = lines[1].trimmed().toLongLong();
    QVERIFY(pid_ > 0);
}

void MprisTest::cleanupTestCase() {
    if (pid_ > 0) ::kill(static_cast<pid_t>(pid_), SIGTERM);
}

void MprisTest::noSessionBusSaysNothing() {
    // Runs first, before the bus address is known to the process.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    FakeDialogs dialogs;
    frmMain w(new FakeMediaComponent);
    MprisService service(&w);
    QVERIFY(!service.Register());
    QVERIFY(dialogs.boxes.empty());
}

QString MprisTest::Send(const QStringList& args) {
    QProcess send;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    send.setProcessEnvironment(env);
    send.start(QStringLiteral("dbus-send"), QStringList{"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.corvalle",
                                                        "/org/mpris/MediaPlayer2"} + args);
    if (!send.waitForStarted(5000)) return QStringLiteral("<not started>");
    QElapsedTimer t;
    t.start();
    while (send.state() != QProcess::NotRunning && t.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        send.waitForFinished(10);
    }
    QCoreApplication::processEvents();
    return QString::fromLocal8Bit(send.readAllStandardOutput() + send.readAllStandardError());
}

void MprisTest::commandsFromTheBus() {
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toLocal8Bit());
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    Module1::RandomMode = 0;
    FakeDialogs dialogs;
    auto* media = new FakeMediaComponent;
    frmMain w(media);
    w.Playlist->clear();
    w.Playlist->addMany({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    w.Form_Load();
    MprisService::ReadTitleArtist = [](const std::string& path) {
        return QStringList{QStringLiteral("Title of ") + QString::fromStdString(path), QStringLiteral("Someone")};
    };
    MprisService service(&w);
    QVERIFY(service.Register());

    QString status = QStringLiteral("org.freedesktop.DBus.Properties.Get");
    QVERIFY(Send({status, "string:org.mpris.MediaPlayer2.Player", "string:PlaybackStatus"}).contains("Stopped"));

    media->calls.clear();
    Send({"org.mpris.MediaPlayer2.Player.Next"});
    QTRY_COMPARE(w.ListIndex(), int16_t(1));
    QCOMPARE(media->calls, (QStringList{"enabled=1", "file=/m/b.mp3", "autostart=1", "play"}));
    QVERIFY(Send({status, "string:org.mpris.MediaPlayer2.Player", "string:PlaybackStatus"}).contains("Playing"));
    QString meta = Send({status, "string:org.mpris.MediaPlayer2.Player", "string:Metadata"});
    QVERIFY2(meta.contains("Title of /m/b.mp3") && meta.contains("Someone") && meta.contains("file:///m/b.mp3"),
             qPrintable(meta));

    media->calls.clear();
    Send({"org.mpris.MediaPlayer2.Player.PlayPause"});
    QTRY_COMPARE(media->calls, QStringList{"stop"});
    QVERIFY(Send({status, "string:org.mpris.MediaPlayer2.Player", "string:PlaybackStatus"}).contains("Stopped"));
    Send({"org.mpris.MediaPlayer2.Player.PlayPause"});
    QTRY_COMPARE(media->count("play"), 1);
    QCOMPARE(media->files(), QStringList{"/m/b.mp3"});

    Send({"org.mpris.MediaPlayer2.Player.Previous"});
    QTRY_COMPARE(w.ListIndex(), int16_t(0));
    // Previous on an empty list shows the error box, like the label.
    w.Playlist->clear();
    Send({"org.mpris.MediaPlayer2.Player.Previous"});
    QTRY_COMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(dialogs.boxes[0].text, QStringLiteral("Error Found:  Invalid property value"));

    int exits = 0;
    w.ExitProgram = [&] { ++exits; };
    Send({"org.mpris.MediaPlayer2.Quit"});
    QTRY_COMPARE(exits, 1);
    MprisService::ReadTitleArtist = nullptr;
}

QTEST_MAIN(MprisTest)
#include "mpris_test.moc"
