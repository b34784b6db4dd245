// The real program on a private desktop session: a private session bus (and
// a second private bus standing for the system bus), stand-ins for the
// notification server, the desktop portal and logind, the private sound
// server of with-pulse.sh, and playerctl, pactl as the user's clients.
#include "common/file_util.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <vector>

using namespace testsupport;

namespace {
// The calls a stand-in service received, one JSON object a line.
QList<QJsonObject> Calls(const QString& log, const QString& name) {
    QList<QJsonObject> out;
    for (const QByteArray& line : QByteArray::fromStdString(ReadBytes(log)).split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.value(QStringLiteral("call")).toString() == name) out << o;
    }
    return out;
}
}  // namespace

class DesktopCitizenTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void manyStartsMakeOneWindow();
    void notificationsNamedStreamAndNoSuspend();
    void resumesWhereItStopped();

private:
    // Ends the program as Exit does (MPRIS Quit).
    void Quit(QProcess& player);
    QProcessEnvironment Environment() const;
    // Runs playerctl against the player; what it printed.
    QString Ctl(const QStringList& args);
    // Starts the real program in `dir` with `args`.
    std::unique_ptr<QProcess> Start(const QString& dir, const QStringList& args);
    // Starts the stand-ins for `services`, logging to `log`; waits until they serve.
    std::unique_ptr<QProcess> StandIn(const QString& log, const QStringList& services);

    QString program_;
    PrivateBus session_, system_;
    QTemporaryDir dir_;
    QStringList tones_;
    QStringList long_;  // two tones that never end within the test
    QString config_ = dir_.filePath(QStringLiteral("config"));
};

void DesktopCitizenTest::initTestCase() {
    program_ = qEnvironmentVariable("CORVALLE_PLAYER");
    if (program_.isEmpty()) QSKIP("CORVALLE_PLAYER names no program");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("no PulseAudio test server (run under tests/with-pulse.sh)");
    for (const char* p : {"dbus-daemon", "playerctl", "pactl", "/usr/bin/python3"})
        if (!HaveProgram(QString::fromLatin1(p))) QSKIP("dbus-daemon, playerctl, pactl or python3 is missing");
    if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {"-c", "import dbus, gi"}) != 0)
        QSKIP("python3-dbus or python3-gi is missing (scripts/install-deps.sh --tests installs them)");
    QVERIFY(session_.Start());
    QVERIFY(system_.Start());
    // Tones long enough that none ends while a test walks the list.
    for (int i = 0; i < 10; ++i) {
        tones_ << dir_.filePath(QStringLiteral("tone%1.mp3").arg(i));
        QVERIFY(GenerateMp3(tones_.last(), 8.0, 300 + 40 * i,
                            {"--add-id3v2", "--tt", QStringLiteral("Title %1").arg(i), "--ta",
                             QStringLiteral("Artist %1").arg(i), "--tl", QStringLiteral("Album %1").arg(i)}));
    }
    for (int i = 0; i < 2; ++i) {
        long_ << dir_.filePath(QStringLiteral("long%1.mp3").arg(i));
        QVERIFY(GenerateMp3(
            long_.last(), 120.0, 500 + 100 * i,
            {"--add-id3v2", "--tt", QStringLiteral("Long %1").arg(i), "--ta", "Player", "--tl", "Rock & <Roll>"}));
    }
}

QProcessEnvironment DesktopCitizenTest::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The preferences and the resume point are the test's, never the user's.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_);
    env.insert(QStringLiteral("XDG_STATE_HOME"), dir_.filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session_.address());
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), system_.address());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir_.filePath(QStringLiteral("cache")));
    return env;
}

QString DesktopCitizenTest::Ctl(const QStringList& args) {
    QProcess ctl;
    ctl.setProcessEnvironment(Environment());
    ctl.start(QStringLiteral("playerctl"), QStringList{"--player=corvalle"} + args);
    if (!ctl.waitForFinished(10000)) return QStringLiteral("<no answer>");
    return QString::fromLocal8Bit(ctl.readAllStandardOutput()).trimmed();
}

std::unique_ptr<QProcess> DesktopCitizenTest::Start(const QString& dir, const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(Environment());
    p->setWorkingDirectory(dir);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(program_, args);
    return p;
}

std::unique_ptr<QProcess> DesktopCitizenTest::StandIn(const QString& log, const QStringList& services) {
    const int ready = Calls(log, QStringLiteral("ready")).size();
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(Environment());
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(QStringLiteral("/usr/bin/python3"), QStringList{QFINDTESTDATA("stand_in_services.py"), log} + services);
    if (!QTest::qWaitFor([&] { return Calls(log, QStringLiteral("ready")).size() > ready; }, 10000)) return nullptr;
    return p;
}

// Ten starts at once, each with files of its own and one they share, end in
// one window that holds every file once. A start that hands over a file the
// player refuses is answered at once and opens no window.
void DesktopCitizenTest::manyStartsMakeOneWindow() {
    for (int round = 0; round < 3; ++round) {
        QTemporaryDir home;
        QVERIFY(WriteBytes(home.filePath(QStringLiteral("FileListing.dat")), ""));  // an empty playlist
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int i = 0; i < 10; ++i) starts.push_back(Start(home.path(), {tones_[i], tones_[(i + round) % 10]}));
        const auto running = [&] {
            int n = 0;
            for (const auto& p : starts) n += p->state() != QProcess::NotRunning;
            return n;
        };
        QVERIFY2(QTest::qWaitFor([&] { return running() == 1; }, 90000), qPrintable(QString::number(running())));
        QProcess* player = nullptr;
        for (const auto& p : starts) {
            if (p->state() != QProcess::NotRunning) {
                player = p.get();
                continue;
            }
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        // Walk the list with Next: every file once, in order, then the first again.
        QTRY_COMPARE_WITH_TIMEOUT(Ctl({"status"}), QStringLiteral("Playing"), 10000);
        QStringList seen;
        for (int k = 0; k < 11; ++k) {
            const QString before = Ctl({"metadata", "xesam:url"});
            Ctl({"next"});
            QTRY_VERIFY_WITH_TIMEOUT(Ctl({"metadata", "xesam:url"}) != before, 10000);
            seen << QUrl(Ctl({"metadata", "xesam:url"})).toLocalFile();
        }
        QStringList sorted = seen.mid(0, 10);
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, tones_);
        QCOMPARE(seen.at(10), seen.at(0));

        // A file the player refuses: the later start is answered at once
        // and ends; the one window tells it (its box holds the commands).
        QVERIFY(WriteBytes(home.filePath(QStringLiteral("notes.mp3")), "not audio"));
        auto late = Start(home.path(), {home.filePath(QStringLiteral("notes.mp3"))});
        QVERIFY(QTest::qWaitFor([&] { return late->state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(late->exitCode(), 0);
        QCOMPARE(running(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(Ctl({"next"}) + Ctl({"status"}), QStringLiteral("Stopped"), 10000);
        player->terminate();
        QVERIFY(player->waitForFinished(20000));
    }
}

// Each new track is told in one notification that replaces the one before;
// the sound server sees the program's name, icon and role; while playing,
// the portal (else logind) holds an inhibitor, released soon after a pause.
void DesktopCitizenTest::notificationsNamedStreamAndNoSuspend() {
    QTemporaryDir home;
    QVERIFY(WriteBytes(home.filePath(QStringLiteral("FileListing.dat")), ""));
    const QString log = home.filePath(QStringLiteral("calls.log"));
    auto services = StandIn(log, {"notifications", "portal"});
    QVERIFY(services);
    auto player = Start(home.path(), {long_[0], long_[1]});
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("Notify")).size(), 1, 20000);
    QJsonObject first = Calls(log, QStringLiteral("Notify")).at(0);
    QCOMPARE(first.value(QStringLiteral("summary")).toString(), QStringLiteral("Long 0 \u2013 Player"));
    // The body may hold markup: the album's own "&" and "<" are escaped.
    QCOMPARE(first.value(QStringLiteral("body")).toString(), QStringLiteral("Rock &amp; &lt;Roll&gt;"));
    QCOMPARE(first.value(QStringLiteral("app_name")).toString(), QStringLiteral("Corvalle's MP3 Player"));
    QCOMPARE(first.value(QStringLiteral("app_icon")).toString(), QStringLiteral("org.corvalle.Mp3Player"));
    QCOMPARE(first.value(QStringLiteral("replaces_id")).toInt(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("Inhibit")).size(), 1, 10000);
    QCOMPARE(Calls(log, QStringLiteral("Inhibit")).at(0).value(QStringLiteral("flags")).toInt(), 4);
    QCOMPARE(Calls(log, QStringLiteral("Inhibit"))
                 .at(0)
                 .value(QStringLiteral("options"))
                 .toObject()
                 .value(QStringLiteral("reason")),
             QStringLiteral("Playing music"));

    // The stream as the sound server lists it.
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {"list", "sink-inputs"});
    QVERIFY(pactl.waitForFinished(5000));
    const QString inputs = QString::fromLocal8Bit(pactl.readAllStandardOutput());
    for (const char* property : {"application.name = \"Corvalle's MP3 Player\"",
                                 "application.icon_name = \"org.corvalle.Mp3Player\"", "media.role = \"music\""})
        QVERIFY2(inputs.contains(QString::fromUtf8(property)), qPrintable(inputs));

    // The next track replaces the notification; the inhibitor stays one.
    Ctl({"next"});
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("Notify")).size(), 2, 10000);
    const QJsonObject second = Calls(log, QStringLiteral("Notify")).at(1);
    QCOMPARE(second.value(QStringLiteral("summary")).toString(), QStringLiteral("Long 1 \u2013 Player"));
    QCOMPARE(second.value(QStringLiteral("replaces_id")).toInt(), first.value(QStringLiteral("id")).toInt());
    QCOMPARE(Calls(log, QStringLiteral("Inhibit")).size(), 1);
    Ctl({"pause"});
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("Close")).size(), 1, 5000);
    QCOMPARE(Calls(log, QStringLiteral("Close")).at(0).value(QStringLiteral("handle")),
             Calls(log, QStringLiteral("Inhibit")).at(0).value(QStringLiteral("handle")));
    QCOMPARE(Calls(log, QStringLiteral("Notify")).size(), 2);  // a resumed track is no new one

    // No portal: logind on the system bus.
    services->terminate();
    QVERIFY(services->waitForFinished(10000));
    auto logind = StandIn(log, {"logind"});
    QVERIFY(logind);
    Ctl({"play"});
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("LogindInhibit")).size(), 1, 10000);
    const QJsonObject lock = Calls(log, QStringLiteral("LogindInhibit")).at(0);
    QCOMPARE(lock.value(QStringLiteral("what")).toString(), QStringLiteral("idle"));
    QCOMPARE(lock.value(QStringLiteral("mode")).toString(), QStringLiteral("block"));
    Ctl({"stop"});
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("LogindReleased")).size(), 1, 5000);
    // Quit while playing: the program ends, and its inhibitor with it.
    Ctl({"play"});
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("LogindInhibit")).size(), 2, 10000);
    Quit(*player);
    QTRY_COMPARE_WITH_TIMEOUT(Calls(log, QStringLiteral("LogindReleased")).size(), 2, 5000);
    logind->terminate();
    QVERIFY(logind->waitForFinished(10000));
}

void DesktopCitizenTest::Quit(QProcess& player) {
    QProcess quit;
    quit.setProcessEnvironment(Environment());
    quit.start(QStringLiteral("dbus-send"), {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.corvalle",
                                             "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"});
    QVERIFY(quit.waitForFinished(10000));
    QVERIFY(player.waitForFinished(20000));
    QCOMPARE(player.exitCode(), 0);
}

// "Resume on Start": paused at Exit, it comes back paused there; killed while
// playing, it plays on from the point kept last; a file gone, it starts as
// ever.
void DesktopCitizenTest::resumesWhereItStopped() {
    QTemporaryDir home;
    const QString first = home.filePath(QStringLiteral("a.mp3")), gone = home.filePath(QStringLiteral("b.mp3"));
    QVERIFY(QFile::copy(long_[0], first) && QFile::copy(long_[1], gone));
    QVERIFY(WriteBytes(home.filePath(QStringLiteral("FileListing.dat")),
                       (TextToPath(first) + "\r\n" + TextToPath(gone) + "\r\n")));
    QVERIFY(QDir().mkpath(config_ + QStringLiteral("/corvalle-mp3-player")));
    QVERIFY(WriteBytes(config_ + QStringLiteral("/corvalle-mp3-player/preferences.conf"), "[playback]\nresume=true\n"));
    auto position = [this] { return Ctl({"position"}).toDouble(); };
    auto player = Start(home.path(), {});
    QTRY_COMPARE_WITH_TIMEOUT(Ctl({"status"}), QStringLiteral("Stopped"), 20000);
    Ctl({"play"});  // the first entry
    QTRY_VERIFY_WITH_TIMEOUT(position() > 2.0, 10000);
    Ctl({"pause"});
    QTRY_COMPARE(Ctl({"status"}), QStringLiteral("Paused"));
    const double pausedAt = position();
    Quit(*player);

    player = Start(home.path(), {});
    QTRY_COMPARE_WITH_TIMEOUT(Ctl({"status"}), QStringLiteral("Paused"), 20000);
    QCOMPARE(Ctl({"metadata", "title"}), QStringLiteral("Long 0"));
    QVERIFY2(std::abs(position() - pausedAt) < 0.2, qPrintable(QStringLiteral("%1 %2").arg(position()).arg(pausedAt)));
    Ctl({"play"});
    QTRY_VERIFY_WITH_TIMEOUT(position() > pausedAt + 1.0, 10000);
    player->kill();  // SIGKILL: the point kept when it went on playing
    QVERIFY(player->waitForFinished(10000));

    player = Start(home.path(), {});
    QTRY_COMPARE_WITH_TIMEOUT(Ctl({"status"}), QStringLiteral("Playing"), 20000);
    QVERIFY2(position() >= pausedAt - 0.2 && position() < pausedAt + 30, qPrintable(QString::number(position())));
    QCOMPARE(Ctl({"metadata", "title"}), QStringLiteral("Long 0"));
    Ctl({"next"});  // the file that goes, then Exit while it plays
    QTRY_COMPARE(Ctl({"metadata", "title"}), QStringLiteral("Long 1"));
    Quit(*player);
    QVERIFY(QFile::remove(gone));
    player = Start(home.path(), {});
    QTRY_COMPARE_WITH_TIMEOUT(Ctl({"status"}), QStringLiteral("Stopped"), 20000);
    Quit(*player);
}

QTEST_MAIN(DesktopCitizenTest)
#include "desktop_citizen_test.moc"
