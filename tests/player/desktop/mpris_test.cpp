// The desktop's controls on a private session bus, driven from outside the
// process by playerctl, the client desktops use: first with a recording
// double of the component, then with real playback into the private sound
// server; and a second start of the real program handing its files over.
#include "desktop/mpris.h"
#include "app/desktop_wiring.h"
#include "app/player.h"
#include "common/file_util.h"
#include "desktop/single_instance.h"
#include "fake_dialogs.h"
#include "fake_media.h"
#include "media/media_player.h"
#include "playlist/playlist_model.h"
#include "test_support.h"
#include "transport/transport.h"
#include "volume/volume_controler.h"
#include "window/frm_main.h"

#include <QCryptographicHash>
#include <QDialog>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
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
    void commandsStatusAndMetadata();
    void realPlaybackPausesSeeksAndSetsTheVolume();
    void secondStartHandsItsFilesOver();

private:
    // Runs playerctl on the private bus while the event loop goes on;
    // returns what it printed, and its exit code in `code`.
    QString Ctl(const QStringList& args, int* code = nullptr);
    // dbus-send to the player's object, and a property of its Player interface.
    QString Send(const QStringList& args);
    QString Property(const char* name);
    QProcessEnvironment BusEnvironment() const;
    PrivateBus bus_;
    QString address_;
    QTemporaryDir cache_;
};

void MprisTest::initTestCase() {
    for (const char* program : {"dbus-daemon", "playerctl"})
        if (!HaveProgram(QString::fromLatin1(program))) QSKIP("dbus-daemon or playerctl is not installed");
    QVERIFY(bus_.Start());
    address_ = bus_.address();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_.path()));
}

void MprisTest::cleanupTestCase() {
    // The master volume was moved: leave it full for the tests that record.
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) VolumeControler::SetMasterVolume(100);
}

QProcessEnvironment MprisTest::BusEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    return env;
}

QString MprisTest::Ctl(const QStringList& args, int* code) {
    QProcess ctl;
    ctl.setProcessEnvironment(BusEnvironment());
    ctl.start(QStringLiteral("playerctl"), QStringList{"--player=corvalle"} + args);
    if (!ctl.waitForStarted(5000)) return QStringLiteral("<not started>");
    // The player answers from this event loop: keep it turning.
    (void)QTest::qWaitFor([&] { return ctl.state() == QProcess::NotRunning; }, 10000);
    if (code) *code = ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    return QString::fromLocal8Bit(ctl.readAllStandardOutput()).trimmed();
}

QString MprisTest::Send(const QStringList& args) {
    QProcess send;
    send.setProcessEnvironment(BusEnvironment());
    send.start(
        QStringLiteral("dbus-send"),
        QStringList{"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.corvalle", "/org/mpris/MediaPlayer2"} +
            args);
    if (!send.waitForStarted(5000)) return QStringLiteral("<not started>");
    (void)QTest::qWaitFor([&] { return send.state() == QProcess::NotRunning; }, 10000);
    return QString::fromLocal8Bit(send.readAllStandardOutput()).trimmed();
}

QString MprisTest::Property(const char* name) {
    // "variant       boolean true": the value is the last word.
    const QStringList words = Send({"org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
                                    QStringLiteral("string:") + QLatin1String(name)})
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.isEmpty() ? QString() : words.last();
}

void MprisTest::noSessionBusSaysNothing() {
    // Runs first, before the bus address is known to the process.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    FakeDialogs dialogs;
    Player player(new FakeMediaComponent, testsupport::TempPreferences());
    MprisService service(player.transport, *player.media);
    QVERIFY(!service.Register());
    InstanceService instance([](const std::vector<std::string>&) {});
    QVERIFY(!instance.Register());
    QVERIFY(!HandToRunningPlayer({"/m/a.mp3"}));
    QVERIFY(dialogs.boxes.empty());
}

void MprisTest::commandsStatusAndMetadata() {
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toLocal8Bit());
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    // One file with an ID3v1 tag, one with none, one with an ID3v2 tag only.
    std::string v1 = std::string(300, 'x') + "TAG";
    for (const char* field : {"Alpha", "Ann", "First"})
        v1 += std::string(field) + std::string(30 - std::strlen(field), ' ');
    v1 += std::string(34, ' ') + '\x08';
    QVERIFY(WriteBytes(dir.filePath("a.mp3"), v1));
    QVERIFY(WriteBytes(dir.filePath("b c.mp3"), std::string(400, 'y')));
    QImage cover(8, 8, QImage::Format_RGB32);
    cover.fill(Qt::green);
    QVERIFY(cover.save(dir.filePath("cover.png")));
    // Both tags: the ID3v1 title is cut to 30 characters.
    QVERIFY(GenerateMp3(dir.filePath("v2.mp3"), 0.2, 440,
                        {"--add-id3v2", "--tt", "Deep Title Longer Than Thirty Chars", "--ta", "Dan", "--tl", "Second",
                         "--ti", dir.filePath("cover.png")}));

    FakeDialogs dialogs;
    auto* media = new FakeMediaComponent;
    media->length = 100;
    Player player(media, testsupport::TempPreferences());
    frmMain& w = player.window;
    player.playlist.clear();
    player.playlist.addMany(
        {TextToPath(dir.filePath("a.mp3")), TextToPath(dir.filePath("b c.mp3")), TextToPath(dir.filePath("v2.mp3"))});
    w.Form_Load();
    MprisService* service = ConnectToDesktop(player);
    QVERIFY(service);
    QCOMPARE(Ctl({"status"}), QStringLiteral("Stopped"));

    // Next, as the label: the second entry, started; then metadata with the
    // title falling back to the file's name and the address percent-encoded.
    media->calls.clear();
    Ctl({"next"});
    QTRY_COMPARE(w.ListIndex(), int16_t(1));
    QCOMPARE(media->calls, (QStringList{"enabled=1", "file=" + dir.filePath("b c.mp3"), "autostart=1", "play"}));
    QCOMPARE(Ctl({"status"}), QStringLiteral("Playing"));
    QCOMPARE(Ctl({"metadata", "xesam:title"}), QStringLiteral("b c.mp3"));
    QCOMPARE(Ctl({"metadata", "xesam:url"}), "file://" + QUrl::toPercentEncoding(dir.path(), "/") + "/b%20c.mp3");
    const QString trackB = Ctl({"metadata", "mpris:trackid"}).remove(QLatin1Char('\''));  // printed quoted
    QCOMPARE(trackB,
             QStringLiteral("/org/corvalle/track/") +
                 QCryptographicHash::hash(QFile::encodeName(dir.filePath("b c.mp3")), QCryptographicHash::Md5).toHex());

    // Opening a listed file plays its entry; no row is added.
    media->calls.clear();
    Ctl({"open", QUrl::fromLocalFile(dir.filePath("a.mp3")).toString()});
    QTRY_COMPARE(w.ListIndex(), int16_t(0));
    QCOMPARE(player.playlist.count(), 3);
    QCOMPARE(media->files(), QStringList{dir.filePath("a.mp3")});
    Ctl({"next"});
    QTRY_COMPARE(w.ListIndex(), int16_t(1));

    // Pause holds, Play resumes the same file (no new Play of the entry),
    // PlayPause toggles.
    media->calls.clear();
    Ctl({"pause"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Paused"));
    Ctl({"play"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Playing"));
    QCOMPARE(media->calls, (QStringList{"pause", "play"}));
    Ctl({"play-pause"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Paused"));
    // A status change made elsewhere (the end of the file) is told too.
    media->play();
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Playing"));

    // Seeking: absolute (for this track only) and relative.
    media->calls.clear();
    Ctl({"position", "10"});
    QTRY_COMPARE(media->calls, QStringList{"seek=10"});
    QVERIFY(std::abs(Ctl({"position"}).toDouble() - 10.0) < 0.5);  // playerctl adds the time since
    Ctl({"position", "5-"});
    QTRY_COMPARE(media->calls, (QStringList{"seek=10", "seek=5"}));
    // While the length is still being measured (told as 0) the player says
    // it cannot seek; a seek asked all the same is taken, not treated as one
    // past the end.
    media->length = 0;
    emit media->lengthKnown();
    QCOMPARE(Property("CanSeek"), QStringLiteral("false"));
    media->calls.clear();
    Send({"org.mpris.MediaPlayer2.Player.Seek", "int64:30000000"});
    QTRY_COMPARE(media->calls, QStringList{"seek=35"});
    media->length = 100;
    emit media->lengthKnown();
    QCOMPARE(Property("CanSeek"), QStringLiteral("true"));

    // Shuffle is random mode, both ways.
    QCOMPARE(Ctl({"shuffle"}), QStringLiteral("Off"));
    Ctl({"shuffle", "On"});
    QTRY_COMPARE(player.transport.RandomMode(), int16_t(-1));
    w.lblRandom_Click();
    QCOMPARE(Ctl({"shuffle"}), QStringLiteral("Off"));
    // LoopStatus is the repeat choice, both ways, with the window's marks.
    QCOMPARE(Ctl({"loop"}), QStringLiteral("Playlist"));
    for (auto [status, choice] :
         {std::pair{"Track", Preferences::Repeat::Track}, std::pair{"None", Preferences::Repeat::Off},
          std::pair{"Playlist", Preferences::Repeat::List}}) {
        Ctl({"loop", status});
        QTRY_COMPARE(player.preferences.repeat(), choice);
        QCOMPARE(Ctl({"loop"}), QString::fromLatin1(status));
    }
    w.findChild<QAction*>(QStringLiteral("mnuRepeatTrack"))->trigger();
    QCOMPARE(Ctl({"loop"}), QStringLiteral("Track"));

    // The volume is the window's slider.
    Ctl({"volume", "0.5"});
    QTRY_COMPARE(w.HScroll_4_Volume->value(), 50);
    QCOMPARE(Ctl({"volume"}).toDouble(), 0.5);

    // ID3v1 texts where there is nothing else; the richer ID3v2 tag with its
    // cover where the file has both.
    Ctl({"previous"});
    QTRY_COMPARE(w.ListIndex(), int16_t(0));
    QCOMPARE(Ctl({"metadata", "--format", "{{xesam:title}}|{{xesam:artist}}|{{xesam:album}}"}),
             QStringLiteral("Alpha|Ann|First"));
    w.SelectEntry(2);
    Ctl({"play"});
    QTRY_COMPARE(Ctl({"metadata", "xesam:title"}), QStringLiteral("Deep Title Longer Than Thirty Chars"));
    QCOMPARE(Ctl({"metadata", "--format", "{{xesam:artist}}|{{xesam:album}}"}), QStringLiteral("Dan|Second"));
    const QString art = Ctl({"metadata", "mpris:artUrl"});
    QVERIFY2(art.startsWith(QStringLiteral("file://")) && QImage(QUrl(art).toLocalFile()).size() == QSize(8, 8),
             qPrintable(art));
    // The window's information line keeps to ID3v1.
    QVERIFY2(w.windowTitle().startsWith(QStringLiteral(" 2. - Deep Title Longer Than Thirt")),
             qPrintable(w.windowTitle()));
    // Another track: the cover no longer shown is removed.
    Ctl({"previous"});
    QTRY_COMPARE(Ctl({"metadata", "xesam:title"}), QStringLiteral("b c.mp3"));
    QVERIFY(!QFile::exists(QUrl(art).toLocalFile()));

    // A playlist opened through the desktop gives its files, the first of
    // them played; the playlist types are offered.
    QVERIFY(WriteBytes(dir.filePath("list.m3u"), "#EXTM3U\r\n#EXTINF:-1,Ann - Alpha\r\na.mp3\r\n"));
    media->calls.clear();
    Ctl({"open", QUrl::fromLocalFile(dir.filePath("list.m3u")).toString()});
    QTRY_COMPARE(media->files(), QStringList{dir.filePath("a.mp3")});
    QCOMPARE(player.playlist.rowOf(TextToPath(dir.filePath("list.m3u"))), -1);
    QProcess types;
    types.setProcessEnvironment(BusEnvironment());
    types.start(QStringLiteral("dbus-send"),
                {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.corvalle", "/org/mpris/MediaPlayer2",
                 "org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2", "string:SupportedMimeTypes"});
    QVERIFY(QTest::qWaitFor([&] { return types.state() == QProcess::NotRunning; }, 10000));
    const QByteArray offered = types.readAllStandardOutput();
    for (const char* type : {"audio/mpeg", "audio/x-mpegurl", "audio/mpegurl", "audio/x-scpls"})
        QVERIFY2(offered.contains(type), offered.constData());

    // While a modal window is open the commands are refused, not stacked.
    media->calls.clear();
    QDialog modal(&w);
    modal.setModal(true);
    modal.show();
    int code = 0;
    Ctl({"next"}, &code);
    QVERIFY(code != 0);
    modal.hide();
    QTest::qWait(50);
    QVERIFY(media->calls.isEmpty());

    // On an empty list the player says there is nothing to go to (playerctl
    // then sends nothing); Previous sent all the same shows the error box, as
    // the label does.
    player.playlist.clear();
    for (const char* can : {"CanGoNext", "CanGoPrevious", "CanPlay"}) QCOMPARE(Property(can), QStringLiteral("false"));
    Send({"org.mpris.MediaPlayer2.Player.Previous"});
    QTRY_COMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(dialogs.boxes[0].text, QStringLiteral("Error Found:  Invalid property value"));

    int exits = 0;
    w.ExitProgram = [&] { ++exits; };
    QProcess quit;
    quit.setProcessEnvironment(BusEnvironment());
    quit.start(QStringLiteral("dbus-send"), {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.corvalle",
                                             "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"});
    QTRY_COMPARE(exits, 1);
    QVERIFY(QTest::qWaitFor([&] { return quit.state() == QProcess::NotRunning; }, 10000));
    QCOMPARE(quit.exitCode(), 0);
}

void MprisTest::realPlaybackPausesSeeksAndSetsTheVolume() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("no PulseAudio test server (run under tests/with-pulse.sh)");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toLocal8Bit());
    QTemporaryDir dir;
    ScopedCurrentDir cd(dir.path());
    QVERIFY(GenerateMp3(dir.filePath("tone.mp3"), 6.0, 440));
    FakeDialogs dialogs;
    Player player(new MediaPlayer, testsupport::TempPreferences());
    frmMain& w = player.window;
    player.playlist.clear();
    player.playlist.add(TextToPath(dir.filePath("tone.mp3")));
    w.Form_Load();
    QVERIFY(ConnectToDesktop(player));
    MediaComponent* media = player.media.get();

    Ctl({"play"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Playing"));
    QVERIFY(QTest::qWaitFor([&] { return media->currentPosition() >= 1.0; }, 10000));
    Ctl({"pause"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Paused"));
    const double held = media->currentPosition();
    QTest::qWait(300);  // paused, it stays
    QCOMPARE(media->currentPosition(), held);
    QVERIFY(std::abs(Ctl({"position"}).toDouble() - held) < 0.01);
    Ctl({"play"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Playing"));
    const double resumed = media->currentPosition();
    QVERIFY2(resumed >= held - 0.01 && resumed < held + 1.0,
             qPrintable(QStringLiteral("%1 after %2").arg(resumed).arg(held)));

    Ctl({"position", "4"});
    QTRY_VERIFY2(media->currentPosition() >= 4.0 && media->currentPosition() < 5.0,
                 qPrintable(QString::number(media->currentPosition())));

    Ctl({"volume", "0.5"});
    QTRY_COMPARE(w.HScroll_4_Volume->value(), 50);
    // The master volume is set on a thread of its own, a moment later.
    QString sink;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     QProcess pactl;
                     pactl.start(QStringLiteral("pactl"),
                                 {"get-sink-volume", qEnvironmentVariable("CORVALLE_TEST_SINK", "corvalle_null")});
                     pactl.waitForFinished(5000);
                     sink = QString::fromLocal8Bit(pactl.readAllStandardOutput());
                     return sink.contains(QStringLiteral(" 50%"));
                 },
                 5000),
             qPrintable(sink));

    Ctl({"stop"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Stopped"));
    QVERIFY(dialogs.boxes.empty());
}

// A second start of the real program, with files on its command line, hands
// them to the running player (here: this test's Open service) and ends.
void MprisTest::secondStartHandsItsFilesOver() {
    const QString program = qEnvironmentVariable("CORVALLE_PLAYER");
    if (program.isEmpty()) QSKIP("CORVALLE_PLAYER names no program");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toLocal8Bit());
    std::vector<std::string> handed;
    int opens = 0;
    InstanceService running([&](const std::vector<std::string>& files) {
        handed = files;
        ++opens;
    });
    QVERIFY(running.Register());
    QTemporaryDir dir;
    QProcess second;
    second.setProcessEnvironment(BusEnvironment());
    second.setWorkingDirectory(dir.path());
    second.start(program, {"relative.mp3", dir.filePath("absolute.mp3")});
    QVERIFY(second.waitForStarted(10000));
    QVERIFY(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(opens, 1);  // opened from the event loop, after the answer
    QCOMPARE(handed, (std::vector<std::string>{TextToPath(dir.filePath("relative.mp3")),
                                               TextToPath(dir.filePath("absolute.mp3"))}));
}

QTEST_MAIN(MprisTest)
#include "mpris_test.moc"
