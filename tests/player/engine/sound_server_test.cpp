// The sound server as the desktop treats it: one that starts after the
// player, one that is killed and restarted while a file plays or is paused,
// and one that stays away. The test runs a sound server of its own (its own
// runtime folder and socket) and kills it by its pids only: a PulseAudio
// daemon, or under tests/with-pipewire.sh (CORVALLE_SOUND_SERVER=pipewire)
// pipewire, wireplumber and PipeWire's PulseAudio server, started by
// tests/pipewire-server.sh and all killed together. Its own process:
// alsa-lib must read its configuration for the first time while no server
// runs.
#include "audio_capture.h"
#include "common/app_error.h"
#include "media/media_player.h"
#include "test_support.h"
#include "volume/volume_controler.h"
#include "volume/volume_setter.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <vector>

namespace {
constexpr char kSink[] = "corvalle_server_test";

std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

bool UsePipeWire() { return qgetenv("CORVALLE_SOUND_SERVER") == "pipewire"; }

}  // namespace

class SoundServerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString runtime_, tone_;
    std::vector<qint64> pids_;

    QString Run(const QString& program, const QStringList& args, bool* ok = nullptr) {
        QProcess p;
        p.start(program, args);
        const bool done = p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (ok) *ok = done;
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    bool ServerAnswers() {
        bool ok = false;
        Run(QStringLiteral("pactl"), {QStringLiteral("info")}, &ok);
        return ok;
    }
    int SinkInputs() {
        bool ok = false;
        const QString out = Run(QStringLiteral("pactl"),
                                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")}, &ok);
        return ok ? static_cast<int>(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size()) : -1;
    }
    // Starts the server and waits until it answers with the sink as its
    // default; the daemons' pids from the pid file.
    bool StartServer() { return UsePipeWire() ? StartPipeWire() : StartPulseAudio(); }
    bool StartPipeWire() {
        const QString script = qEnvironmentVariable("CORVALLE_PIPEWIRE_SERVER");
        if (QProcess::execute(QStringLiteral("bash"),
                              {script, QStringLiteral("start"), runtime_, QString::fromLatin1(kSink)}) != 0)
            return false;
        QFile pidFile(runtime_ + QStringLiteral("/pids"));
        if (!pidFile.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : pidFile.readAll().split('\n'))
            if (line.trimmed().toLongLong() > 0) pids_.push_back(line.trimmed().toLongLong());
        return !pids_.empty() && ServerAnswers();
    }
    bool StartPulseAudio() {
        const QStringList args = {
            QStringLiteral("--daemonize=yes"),
            QStringLiteral("--exit-idle-time=-1"),
            QStringLiteral("-n"),
            QStringLiteral("--use-pid-file=yes"),
            QStringLiteral("--log-target=file:") + runtime_ + QStringLiteral("/pulse.log"),
            QStringLiteral("--load=module-null-sink sink_name=") + kSink + QStringLiteral(" rate=44100 channels=2"),
            QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + runtime_ +
                QStringLiteral("/native"),
            QStringLiteral("--load=module-always-sink")};
        if (QProcess::execute(QStringLiteral("pulseaudio"), args) != 0) return false;
        if (!QTest::qWaitFor([&] { return ServerAnswers(); }, 10000)) return false;
        QFile pidFile(runtime_ + QStringLiteral("/pid"));
        if (!pidFile.open(QIODevice::ReadOnly)) return false;
        const qint64 pid = pidFile.readAll().trimmed().toLongLong();
        if (pid <= 0) return false;
        pids_.push_back(pid);
        Run(QStringLiteral("pactl"), {QStringLiteral("set-default-sink"), QString::fromLatin1(kSink)});
        return true;
    }
    // Stops or continues its daemons, as a server that hangs.
    void SignalServer(int signal) {
        for (qint64 pid : pids_) ::kill(static_cast<pid_t>(pid), signal);
    }
    // Kills it as a crash would, by its pids, and waits until it is gone.
    bool KillServer() {
        const std::vector<qint64> pids = std::move(pids_);
        pids_.clear();
        for (qint64 pid : pids) ::kill(static_cast<pid_t>(pid), SIGKILL);
        return QTest::qWaitFor(
            [&] {
                for (qint64 pid : pids)
                    if (::kill(static_cast<pid_t>(pid), 0) == 0) return false;
                return !ServerAnswers();
            },
            10000);
    }

private slots:
    void initTestCase() {
        if (!testsupport::HaveProgram(QStringLiteral("pactl")) || !testsupport::HaveProgram(QStringLiteral("lame")))
            QSKIP("pactl or lame is missing");
        if (UsePipeWire()) {
            if (!testsupport::HaveProgram(QStringLiteral("pipewire")) ||
                !testsupport::HaveProgram(QStringLiteral("wireplumber")))
                QSKIP("pipewire or wireplumber is missing");
            QVERIFY2(QFile::exists(qEnvironmentVariable("CORVALLE_PIPEWIRE_SERVER")),
                     "CORVALLE_PIPEWIRE_SERVER names no script");
        } else if (!testsupport::HaveProgram(QStringLiteral("pulseaudio"))) {
            QSKIP("pulseaudio is missing");
        }
        QVERIFY(dir_.isValid());
        runtime_ = dir_.filePath(QStringLiteral("pulse"));
        // Under the wrapper's folder, whose end stops what a crashed test left.
        if (UsePipeWire() && !qEnvironmentVariableIsEmpty("CORVALLE_PIPEWIRE_LEFTOVERS"))
            runtime_ = qEnvironmentVariable("CORVALLE_PIPEWIRE_LEFTOVERS");
        QVERIFY(QDir().mkpath(runtime_ + QStringLiteral("/state")));
        qputenv("PULSE_RUNTIME_PATH", runtime_.toLocal8Bit());
        qputenv("PULSE_STATE_PATH", (runtime_ + QStringLiteral("/state")).toLocal8Bit());
        qputenv("PULSE_SERVER", ("unix:" + runtime_ + QStringLiteral("/native")).toLocal8Bit());
        qputenv("PULSE_SINK", kSink);
        qputenv("CORVALLE_TEST_SINK", kSink);
        tone_ = dir_.filePath(QStringLiteral("tone.mp3"));
        QVERIFY(testsupport::GenerateMp3(tone_, 6.0, 440));
    }
    void cleanupTestCase() { KillServer(); }

    // No server at the player's first Play and first volume change: both
    // fail (Play tells a lost device); once a server runs, both reach it
    // without a restart.
    void serverStartedAfterThePlayerIsFound() {
        MediaPlayer player;
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        player.setFileName(Bytes(tone_));
        player.play();
        QVERIFY(lost.wait(5000));
        QCOMPARE(player.state(), MediaComponent::State::Stopped);
        QVERIFY(!VolumeControler::SetMasterVolume(50));

        QVERIFY(StartServer());
        player.play();
        QCOMPARE(player.state(), MediaComponent::State::Playing);
        QVERIFY(QTest::qWaitFor([&] { return SinkInputs() == 1; }, 5000));
        QVERIFY(VolumeControler::SetMasterVolume(50));
        QVERIFY(Run(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), QString::fromLatin1(kSink)})
                    .contains(QStringLiteral("50%")));
        player.stop();
    }

    // Killed and restarted while a file plays: no end and no failure is
    // told, and the file goes on from where it was heard. Then killed while
    // paused and restarted: Play resumes the paused place.
    void restartedServerResumesTheFile() {
        if (!ServerAnswers()) QVERIFY(StartServer());
        MediaPlayer player;
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        player.setFileName(Bytes(tone_));
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 1.5; }, 10000));
        QVERIFY(KillServer());
        const double kept = player.currentPosition();
        QVERIFY(StartServer());
        QVERIFY(QTest::qWaitFor([&] { return SinkInputs() == 1; }, 8000));
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() > kept + 0.3; }, 8000));
        QVERIFY2(player.currentPosition() < kept + 2.5, qPrintable(QString::number(player.currentPosition())));
        QCOMPARE(ended.count(), 0);
        QCOMPARE(lost.count(), 0);
        QCOMPARE(player.state(), MediaComponent::State::Playing);

        player.pause();
        const double paused = player.currentPosition();
        QVERIFY(KillServer());
        QVERIFY(StartServer());
        player.play();
        QCOMPARE(player.state(), MediaComponent::State::Playing);
        QVERIFY(QTest::qWaitFor([&] { return SinkInputs() == 1 && player.currentPosition() > paused + 0.3; }, 8000));
        QVERIFY2(player.currentPosition() < paused + 2.5, qPrintable(QString::number(player.currentPosition())));
        QCOMPARE(ended.count(), 0);
        QCOMPARE(lost.count(), 0);
        player.stop();
    }

    // A server that hangs (stopped by a signal, as a stuck PipeWire or a
    // Bluetooth sink that stops answering): no call the window makes waits
    // for it, whatever is pressed; the hang is told once as a lost device,
    // within a few seconds, and again for a Play meanwhile; once the server
    // answers again, Play plays.
    void hungServerHoldsUpNothing() {
        if (!ServerAnswers()) QVERIFY(StartServer());
        MediaPlayer player;
        player.setDeviceRetry(std::chrono::milliseconds(1000));
        VolumeSetter volume;
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        player.setFileName(Bytes(tone_));
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 0.5; }, 10000));
        SignalServer(SIGSTOP);
        QElapsedTimer hung;
        hung.start();
        qint64 slowest = 0;
        const auto timed = [&](const std::function<void()>& call) {
            QElapsedTimer t;
            t.start();
            call();
            slowest = std::max(slowest, t.elapsed());
            QTest::qWait(100);
        };
        timed([&] { player.pause(); });
        timed([&] { player.play(); });
        timed([&] { player.seek(1.0); });
        timed([&] { volume.set(40); });
        timed([&] { player.setOutputDevice(kSink); });
        timed([&] { player.listOutputs(); });
        timed([&] { player.currentPosition(); });
        QVERIFY(QTest::qWaitFor([&] { return lost.count() == 1; }, 15000));
        const qint64 toldAfter = hung.elapsed();
        timed([&] { player.play(); });  // opens against the hung server, on the worker
        timed([&] { player.stop(); });
        timed([&] { player.setFileName(Bytes(tone_)); });
        timed([&] { player.play(); });
        QVERIFY(QTest::qWaitFor([&] { return lost.count() == 2; }, 10000));
        qInfo("the hang was told after %lld ms; the slowest call took %lld ms", static_cast<long long>(toldAfter),
              static_cast<long long>(slowest));
        QVERIFY2(slowest < 300, qPrintable(QString::number(slowest)));
        QVERIFY2(toldAfter < 10000, qPrintable(QString::number(toldAfter)));
        SignalServer(SIGCONT);
        QVERIFY(QTest::qWaitFor([&] { return ServerAnswers(); }, 10000));
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return SinkInputs() == 1 && player.currentPosition() > 0.3; }, 8000));
        QCOMPARE(lost.count(), 2);
        player.stop();
    }

    // It stays away: one loss is told after the retries, no end, the place
    // is kept; once it is back, Play of the same file resumes there.
    void serverThatStaysAwayStopsKeepingThePlace() {
        if (!ServerAnswers()) QVERIFY(StartServer());
        QVERIFY(VolumeControler::SetMasterVolume(100));  // heard as loud as it plays
        QElapsedTimer clock;
        clock.start();
        AudioCapture capture;  // it records until the server dies
        QVERIFY(capture.start(clock));
        MediaPlayer player;
        player.setDeviceRetry(std::chrono::milliseconds(1000));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        player.setFileName(Bytes(tone_));
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 1.5; }, 10000));
        QVERIFY(KillServer());
        QVERIFY(QTest::qWaitFor([&] { return lost.count() == 1; }, 10000));
        QVERIFY2(lost.at(0).at(0).toString().startsWith(QStringLiteral("No sound device is available")),
                 qPrintable(lost.at(0).at(0).toString()));
        QVERIFY(player.state() != MediaComponent::State::Playing);
        // The place kept is no further than what was heard.
        const double kept = player.currentPosition();
        capture.stop();
        const auto [first, last] = capture.soundRange(2000);
        const double heard = static_cast<double>(last - first) / AudioCapture::kRate;
        qInfo("%.3f s heard before the server died, the place kept %.3f s", heard, kept);
        QVERIFY2(kept >= 1.0 && kept <= heard + 0.1, qPrintable(QString::number(kept)));
        QCOMPARE(ended.count(), 0);

        QVERIFY(StartServer());
        player.setFileName(Bytes(tone_));
        player.play();
        QCOMPARE(player.state(), MediaComponent::State::Playing);
        QVERIFY(player.currentPosition() >= kept - 0.01);
        QVERIFY(QTest::qWaitFor([&] { return SinkInputs() == 1 && player.currentPosition() > kept + 0.3; }, 8000));
        QCOMPARE(ended.count(), 0);
        QCOMPARE(lost.count(), 1);
        player.stop();
    }
};

QTEST_GUILESS_MAIN(SoundServerTest)
#include "sound_server_test.moc"
