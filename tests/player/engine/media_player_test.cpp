// Real playback through ALSA "default" into the PulseAudio null sink of
// with-pulse.sh, recorded from the sink's monitor: the tone arrives, the end
// event follows the last sound and comes once, stop silences, a new file
// replaces the old one without its end event, the bar pauses and seeks, and
// threads and PCM streams are released.
#include "alsa_output.h"
#include "app_error.h"
#include "audio_capture.h"
#include "media_player.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>
#include <vector>

namespace {
int SinkInputs() {
    QProcess p;
    p.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!p.waitForFinished(5000) || p.exitCode() != 0) return -1;
    int n = 0;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty()) ++n;
    return n;
}

// Waits until no stream plays into the server and the threads are back to
// `threads`. A thread that has been joined may still be listed in /proc for a
// moment after the join returned, so even right after a join this is waited
// for, never read once.
bool Released(int threads) {
    return QTest::qWaitFor([&] { return testsupport::ThreadCount() <= threads && SinkInputs() == 0; }, 5000);
}

std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }
}  // namespace

class MediaPlayerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString tone440_, tone660_;
    int baseline_ = 0;

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("no PulseAudio test server (run under tests/with-pulse.sh)");
        if (!testsupport::HaveProgram(QStringLiteral("parec")) || !testsupport::HaveProgram(QStringLiteral("lame")))
            QSKIP("parec or lame is missing");
        QVERIFY(dir_.isValid());
        tone440_ = dir_.filePath(QStringLiteral("a440.mp3"));
        tone660_ = dir_.filePath(QStringLiteral("b660.mp3"));
        QVERIFY(testsupport::GenerateMp3(tone440_, 2.0, 440));
        QVERIFY(testsupport::GenerateMp3(tone660_, 1.0, 660));
        QCOMPARE(SinkInputs(), 0);
        baseline_ = testsupport::ThreadCount();
    }

    void cleanup() { QVERIFY2(Released(baseline_), "a worker thread or a PCM stream was left behind"); }

    void playsTheToneAndEndsOnceAfterIt() {
        QElapsedTimer clock;
        clock.start();
        AudioCapture capture;
        QVERIFY(capture.start(clock));
        MediaPlayer player;
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(Bytes(tone440_));
        QVERIFY(length.wait(2000));
        QCOMPARE(length.count(), 1);
        QVERIFY2(std::abs(player.duration() - 2.0) < 0.05, qPrintable(QString::number(player.duration())));
        QCOMPARE(player.currentPosition(), 0.0);

        const qint64 started = clock.elapsed();
        player.play();
        QVERIFY(player.isPlaying());
        QTest::qWait(1000);
        // What was heard so far: not ahead of the clock, at most the device's
        // buffer behind it, however long the wait took on a busy machine.
        const double mid = player.currentPosition();
        const double since = (clock.elapsed() - started) / 1000.0;
        QVERIFY2(mid > since - 0.6 && mid <= since + 0.02, qPrintable(QStringLiteral("%1 after %2 s").arg(mid).arg(since)));
        QVERIFY(ended.wait(8000));
        const qint64 endedAt = clock.elapsed();
        QVERIFY2(endedAt - started >= 1900, qPrintable(QString::number(endedAt - started)));
        QTest::qWait(400);
        capture.stop();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(player.currentPosition(), 0.0);

        auto [first, last] = capture.loudRange();
        QVERIFY2(first < last, "no sound was recorded");
        const double loud = static_cast<double>(last - first) / AudioCapture::kRate;
        QVERIFY2(std::abs(loud - 2.0) < 0.1, qPrintable(QString::number(loud)));
        // A 440 Hz sine crosses zero 880 times a second.
        const size_t margin = AudioCapture::kRate / 20;
        const double rate = capture.crossingsPerSecond(first + margin, last - margin);
        QVERIFY2(std::abs(rate - 880) < 44, qPrintable(QString::number(rate)));
        // The end event followed the last loud sample.
        const double soundEnded = capture.timeOf(last);
        qInfo("duration %.4f s, loud for %.3f s, %.1f crossings/s, end event %lld ms after play, %.0f ms after the sound",
              player.duration(), loud, rate, static_cast<long long>(endedAt - started), endedAt - soundEnded);
        QVERIFY2(endedAt >= soundEnded - 100, qPrintable(QStringLiteral("ended %1 ms, sound until %2 ms").arg(endedAt).arg(soundEnded)));
    }

    void stopSilencesAndGivesNoEnd() {
        QElapsedTimer clock;
        clock.start();
        AudioCapture capture;
        QVERIFY(capture.start(clock));
        MediaPlayer player;
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(Bytes(tone440_));
        const qint64 started = clock.elapsed();
        player.play();
        QTest::qWait(700);
        QElapsedTimer stopClock;
        stopClock.start();
        const qint64 stoppedAt = clock.elapsed();
        player.stop();
        qInfo("stop() returned after %lld us", static_cast<long long>(stopClock.nsecsElapsed() / 1000));
        QCOMPARE(player.currentPosition(), 0.0);
        QVERIFY(!player.isPlaying());
        QTest::qWait(2000);  // past the time the file would have ended
        capture.stop();
        QCOMPARE(ended.count(), 0);

        // The recorder's clock may lag under load: look for the tone over the
        // whole stretch between play and a little after stop.
        const size_t s0 = capture.indexAt(started), s1 = capture.indexAt(stoppedAt + 250);
        // Under heavy load the recorder can start too late to hear the short
        // stretch before the stop; what must hold is the silence after it.
        if (capture.peak(s0, s1) <= 8000) qWarning("the recorder missed the tone before the stop");
        const size_t quiet = capture.indexAt(stoppedAt + 300);
        QVERIFY(capture.samples().size() > quiet + AudioCapture::kRate);
        QVERIFY2(capture.peak(quiet, capture.samples().size()) < 200, "sound went on after stop");
    }

    void newFileReplacesWithoutStaleEnd() {
        QElapsedTimer clock;
        clock.start();
        AudioCapture capture;
        QVERIFY(capture.start(clock));
        MediaPlayer player;
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        player.setAutoStart(true);
        player.setFileName(Bytes(tone440_));
        QVERIFY(player.isPlaying());
        // Switch just before the first file ends, while its last frames drain.
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 1.8; }, 10000));
        length.clear();
        const qint64 switchedAt = clock.elapsed();
        QElapsedTimer switchClock;
        switchClock.start();
        player.setFileName(Bytes(tone660_));
        qInfo("setFileName during playback returned after %lld us", static_cast<long long>(switchClock.nsecsElapsed() / 1000));
        QVERIFY(player.isPlaying());
        QVERIFY(length.wait(1000));
        QVERIFY(std::abs(player.duration() - 1.0) < 0.05);
        QVERIFY(ended.wait(5000));
        const qint64 endedAt = clock.elapsed();
        QTest::qWait(500);
        capture.stop();
        QCOMPARE(ended.count(), 1);
        QVERIFY2(endedAt - switchedAt >= 900, qPrintable(QString::number(endedAt - switchedAt)));
        // The new tone is what played after the switch.
        const double rate = capture.crossingsPerSecond(capture.indexAt(switchedAt + 300), capture.indexAt(switchedAt + 800));
        qInfo("after the switch: %.1f crossings/s, end %lld ms after it", rate, static_cast<long long>(endedAt - switchedAt));
        QVERIFY2(std::abs(rate - 1320) < 66, qPrintable(QString::number(rate)));
    }

    void barPausesAndSeeksWhilePlaying() {
        QElapsedTimer clock;
        clock.start();
        AudioCapture capture;
        QVERIFY(capture.start(clock));
        MediaPlayer player;
        player.resize(400, 40);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        auto* playButton = player.findChild<QAbstractButton*>(QStringLiteral("playPauseButton"));
        auto* slider = player.findChild<QSlider*>(QStringLiteral("seekSlider"));
        QVERIFY(playButton && slider);
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(Bytes(tone440_));
        QTest::mouseClick(playButton, Qt::LeftButton);
        QVERIFY(player.isPlaying());
        QTest::qWait(600);
        QTest::mouseClick(playButton, Qt::LeftButton);  // pause
        const qint64 pausedAt = clock.elapsed();
        QVERIFY(player.isPaused());
        QTest::qWait(100);
        const double held = player.currentPosition();
        QTest::qWait(800);
        QCOMPARE(player.currentPosition(), held);
        const size_t quiet0 = capture.indexAt(pausedAt + 300), quiet1 = capture.indexAt(pausedAt + 800);
        QTest::mouseClick(playButton, Qt::LeftButton);  // resume
        QVERIFY(player.isPlaying());
        QTest::qWait(300);
        QVERIFY(player.currentPosition() > held);
        // Seek while playing: three quarters along.
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
        const qint64 seekedAt = clock.elapsed();
        QVERIFY2(std::abs(player.currentPosition() - 1.5) < 0.1, qPrintable(QString::number(player.currentPosition())));
        QVERIFY(ended.wait(3000));
        const qint64 endedAt = clock.elapsed();
        capture.stop();
        QCOMPARE(ended.count(), 1);
        QVERIFY2(endedAt - seekedAt > 250 && endedAt - seekedAt < 1200, qPrintable(QString::number(endedAt - seekedAt)));
        QVERIFY2(capture.peak(quiet0, quiet1) < 200, "sound went on while paused");
    }

    void outputWaitEndsOnRoomOrInterrupt() {
        AlsaOutput out;
        out.open(44100, 2);
        std::vector<int16_t> silence(2 * 4410, 0);
        // Fill the device until it takes no more.
        long total = 0;
        for (int i = 0; i < 200; ++i) {
            long n = out.write(silence.data(), 4410);
            QVERIFY(n >= 0);
            if (n == 0) break;
            total += n;
        }
        QVERIFY(total > 0);
        QElapsedTimer clock;
        clock.start();
        // An interrupt that came first ends the next wait at once.
        out.interrupt();
        out.waitWritable(10000);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        // One from another thread ends a wait in progress.
        while (out.write(silence.data(), 4410) > 0) {
        }
        clock.restart();
        std::thread waker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            out.interrupt();
        });
        out.waitWritable(10000);
        waker.join();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        // Without one, the wait ends when the device has played a period.
        while (out.write(silence.data(), 4410) > 0) {
        }
        clock.restart();
        out.waitWritable(10000);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(out.write(silence.data(), 4410) > 0);
        out.close();
        out.interrupt();  // harmless once closed
        out.waitWritable(10000);
    }

    void missingDeviceIsAnError() {
        MediaPlayer player([] { return std::unique_ptr<AudioOutput>(new AlsaOutput("corvalle_no_such_pcm")); });
        player.setFileName(Bytes(tone440_));
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::NoSoundDevice);
        QVERIFY(!player.isPlaying());
    }

    void destroyedWhilePlayingReleasesAll() {
        QSignalSpy* ended = nullptr;
        {
            MediaPlayer player;
            ended = new QSignalSpy(&player, &MediaComponent::endReached);
            player.setFileName(Bytes(tone440_));
            player.play();
            QTest::qWait(300);
            QVERIFY(testsupport::ThreadCount() > baseline_);
            QCOMPARE(SinkInputs(), 1);
            player.stop();
            QVERIFY(Released(baseline_));
            player.play();
            QTest::qWait(300);
            QCOMPARE(SinkInputs(), 1);
        }
        // The destructor joined the worker, which closed its PCM.
        QVERIFY(Released(baseline_));
        QTest::qWait(300);
        QCOMPARE(ended->count(), 0);
        delete ended;
    }
};

QTEST_MAIN(MediaPlayerTest)
#include "media_player_test.moc"
