// The engine and the component against a device double while they play:
// the position worked out from what the device says, the end told with the
// tail queued, files joined in one device, pause, seek and stop, stale ends,
// the clean-up of threads and devices, and the control bar. Needs no sound
// server.
#include "engine/playhead.h"
#include "engine_fixture.h"

#include <QMouseEvent>
#include <QRegularExpression>

class EnginePlaybackTest : public QObject, protected EngineFiles {
    Q_OBJECT

private slots:
    void initTestCase() { MakeFiles(); }

    // What the worker tells its Playhead, at 1000 frames a second on a clock
    // of the test's own, one step a word: w write, b take back, f follow
    // (track 2), r read what the device holds unheard (playing), s the same
    // not playing, c cannot tell (playing), t wait (ms), x restart at (s), m
    // resume; ":v" checks that the position of track 1 (of track 2 with
    // "#2") is v seconds then, "h:v" that the device holds v seconds unheard.
    void positionIsWorkedOut_data() {
        QTest::addColumn<QString>("steps");
        QTest::newRow("written and heard: runs on between readings") << "w1000 r1000:0 t300:0.3 t100 r600:0.4";
        QTest::newRow("cannot tell: counted by the clock") << "w1000 r1000:0 t200 c:0.2";
        QTest::newRow("not playing: nothing more heard") << "w1000 s1000:0 t500:0 s200:0";
        QTest::newRow("a count that runs ahead after a start is held to the clock") << "w1000 s1000:0 t100 r200:0.12";
        QTest::newRow("nothing heard before it is written (the device ran dry meanwhile)")
            << "w1000 r1000:0 t2000 w500 r0:1.02";
        QTest::newRow("never back from what was shown: it waits for the sound, the tail timed by the device")
            << "w1000 r1000:0 t300 r900:0.3 h:0.9 t100:0.3 t60:0.31";
        QTest::newRow("a count a little behind: runs on") << "w1000 r1000:0 t300 r730:0.3 t100:0.4";
        QTest::newRow("after a start, not counted until the device tells, for a second at most")
            << "w1000 c:0 t200 c:0 r800:0.2 x0 w2000 c:0 t1000 c:1.025 t200:1.225";
        QTest::newRow("ran dry between readings: all it held was heard")
            << "w1000 r1000:0 t300 r700:0.3 t1500 s0:1 h:0 w500 t100 r400:1.1";
        QTest::newRow("taken back: written again in its place")
            << "w1000 r1000:0 t100 r900:0.1 b600 r300:0.1 w600 t50 r850:0.15";
        QTest::newRow("dropped: a new stream from the place sought")
            << "w1000 t500 r500:0.5 x5 w500 c:5 t100 c:5 r400:5.1";
        QTest::newRow("a track handed over behind the tail")
            << "w1000 r1000:0 f2 w500 t900 r600:0.9 r600:0#2 t200:0.1#2";
        QTest::newRow("held and resumed: the clock counts from the resume")
            << "w1000 r1000:0 t300 r700:0.3 t5000 m r100:0.32";
    }
    void positionIsWorkedOut() {
        QFETCH(QString, steps);
        auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
        Playhead playhead(1000);
        playhead.restart(now, {1, 0, 0, nullptr, 0});
        Heard heard;
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            const QStringList parts = step.mid(1).split(QRegularExpression(QStringLiteral("[:#]")));
            const int64_t n = parts[0].toLongLong();
            const auto read = [&](std::optional<int64_t> unheard, bool playing) {
                const Playhead::Reading r = playhead.read(now, unheard, playing);
                heard.store(now, r.now, r.next);
            };
            switch (step[0].toLatin1()) {
            case 'w': playhead.wrote(n, now); break;
            case 'b': playhead.tookBack(n); break;
            case 'f': playhead.follow({static_cast<uint64_t>(n), 0, 0, nullptr, 0}); break;
            case 't': now += std::chrono::milliseconds(n); break;
            case 'x': playhead.restart(now, {1, static_cast<double>(n), 0, nullptr, 0}); break;
            case 'm': playhead.resume(now); break;
            case 'r': read(n, true); break;
            case 's': read(n, false); break;
            case 'c': read(std::nullopt, true); break;
            }
            if (!step.contains(QLatin1Char(':'))) continue;
            const uint64_t track = step.contains(QLatin1Char('#')) ? parts.last().toULongLong() : 1;
            const double expected = parts[1].toDouble();
            const double at = step[0] == QLatin1Char('h') ? playhead.secondsHeld() : heard.of(track, now);
            QVERIFY2(std::abs(at - expected) < 0.0005, qPrintable(QStringLiteral("%1: %2 s").arg(step).arg(at)));
        }
    }

    void endComesWithTheTailQueued() {
        // The end is told once the last frame is queued, so the next file can
        // follow; the position goes on to the file's length while the tail
        // plays, and the device is closed only once it has been heard.
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(path(QStringLiteral("tone1.mp3")));
        QElapsedTimer clock;
        clock.start();
        player.play();
        double last = 0;
        bool monotone = true;
        qint64 endedAt = -1;
        while (clock.elapsed() < 4000 && (endedAt < 0 || player.currentPosition() > 0)) {
            QTest::qWait(15);
            const double p = player.currentPosition();
            if (endedAt < 0 && ended.count() > 0) endedAt = clock.elapsed();
            if (p > 0 && p + 1e-9 < last) monotone = false;
            last = std::max(last, p);
        }
        QCOMPARE(ended.count(), 1);
        // All but the device's buffer (0.2 s) had been heard by then.
        QVERIFY2(endedAt >= 750, qPrintable(QString::number(endedAt)));
        QVERIFY(monotone);
        QVERIFY2(last > 0.98 && last <= player.duration() + 1e-9, qPrintable(QString::number(last)));
        QCOMPARE(player.currentPosition(), 0.0);
        QVERIFY(QTest::qWaitFor([&] { return stats->openCount.load() == 0; }, 3000));
        QTest::qWait(200);
        QCOMPARE(ended.count(), 1);

        // The engine tells a normal end, with all of the file played.
        auto whole = std::make_shared<FakeOutputStats>();
        auto log = std::make_shared<EndLog>();
        PlaybackEngine engine(outputs(whole, {false, false, -1}), Record(log));
        const std::string one = path(QStringLiteral("tone1.mp3"));
        engine.load([one] { return Decoder::OpenFile(one); });
        engine.play();
        QVERIFY(QTest::qWaitFor([&] { return log->count() > 0; }, 5000));
        QCOMPARE(log->end(0).cause, TrackEnd::Cause::Finished);
        QCOMPARE(log->end(0).framesPlayed, LengthFrames(one));
    }

    void levellingChangeTakesBackAndWritesEveryFrameOnce() {
        // What the device holds beyond its next moments is taken back and
        // written again at the new level: every frame of the file reaches
        // it once, in its place.
        auto stats = std::make_shared<FakeOutputStats>();
        auto log = std::make_shared<EndLog>();
        PlaybackEngine engine(outputs(stats), Record(log));
        const std::string two = path(QStringLiteral("tone2.mp3"));
        engine.load([two] { return Decoder::OpenFile(two); });
        engine.play();
        QVERIFY(QTest::qWaitFor([&] { return engine.position() >= 0.3; }, 5000));
        engine.setLevelling({Decoder::Levelling::Mode::Track, 0, -6});
        QVERIFY(QTest::qWaitFor([&] { return log->count() == 1 && stats->openCount.load() == 0; }, 5000));
        QVERIFY(stats->takenBack.load() > 0);
        QCOMPARE(log->end(0).framesPlayed, LengthFrames(two));
        QCOMPARE(stats->frames.load(), kLeadIn + LengthFrames(two) + kTrailing);
    }

    void playOnJoinsInOneOpenDevice() {
        // Files of one format follow each other in the device that stays
        // open; once handed over, the position is the next file's: 0 while
        // the ending one's tail is heard, then on from there. Another format
        // reopens the device. A stop during a tail silences it at once.
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        const QStringList files{QStringLiteral("tone1.mp3"), QStringLiteral("tone1.mp3"), QStringLiteral("low.mp3")};
        int next = 1;
        connect(&player, &MediaComponent::endReached, this, [&] {
            if (next < files.size()) player.setFileName(path(files[next++]));
        });
        player.setAutoStart(true);
        player.setFileName(path(files[0]));
        QElapsedTimer clock;
        clock.start();
        while (ended.count() < 1 && clock.elapsed() < 5000) QTest::qWait(10);
        QElapsedTimer since;  // the hand-over
        since.start();
        double ahead = 0;
        while (since.elapsed() < 500) {
            ahead = std::max(ahead, player.currentPosition() - since.elapsed() / 1000.0);
            QTest::qWait(5);
        }
        QVERIFY2(ahead < 0.1, qPrintable(QString::number(ahead)));
        QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.1, 2000);
        QVERIFY(length.count() >= 2);
        QVERIFY(ended.wait(5000));  // the second
        QVERIFY(QTest::qWaitFor([&] { return ended.count() == 3; }, 5000));
        {
            std::lock_guard<std::mutex> lock(stats->mutex);
            QCOMPARE(stats->opens, (std::vector<std::pair<int, int>>{{44100, 1}, {22050, 1}}));
        }
        // The three files whole, a lead of 50 ms of silence in front of each
        // device opened, and as much behind the first one's last tail.
        long long expected = 2200 + 1100 + kTrailing;
        for (const QString& f : files) expected += LengthFrames(path(f));
        QVERIFY2(std::abs(stats->frames - expected) < 100,
                 qPrintable(QStringLiteral("%1 of %2").arg(stats->frames).arg(expected)));
        player.stop();  // during the last tail
        QVERIFY(QTest::qWaitFor([&] { return stats->openCount.load() == 0; }, 1000));
        QCOMPARE(player.currentPosition(), 0.0);
    }

    void pauseHoldsAndSeekMoves() {
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        QElapsedTimer played;
        played.start();
        player.play();
        QTest::qWait(400);
        const double pausedAfter = played.elapsed() / 1000.0;
        player.pause();
        QTest::qWait(60);
        QCOMPARE(player.state(), MediaComponent::State::Paused);
        // It holds what was heard (the clock's time), not what was decoded
        // ahead into the device's buffer.
        const double held = player.currentPosition();
        QVERIFY2(held > 0.2 && std::abs(held - pausedAfter) < 0.15,
                 qPrintable(QStringLiteral("%1 after %2 s").arg(held).arg(pausedAfter)));
        QTest::qWait(300);
        QCOMPARE(player.currentPosition(), held);
        player.seek(1.5);
        QTest::qWait(60);
        QVERIFY(std::abs(player.currentPosition() - 1.5) < 0.01);
        QCOMPARE(ended.count(), 0);
        player.play();  // resumes from 1.5
        QCOMPARE(player.state(), MediaComponent::State::Playing);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(ended.wait(3000));
        // Half a second left, told once it is all queued (the device holds 0.2 s).
        QVERIFY2(clock.elapsed() > 200 && clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ended.count(), 1);
    }

    void requestsCutTheOutputWaitShort() {
        // The worker sleeps in the output's wait until a period is played; a
        // seek, a pause and a stop must each end that sleep, not wait it out.
        auto stats = std::make_shared<FakeOutputStats>();
        FakeOutput::Options o;
        o.blockingWait = true;
        MediaPlayer player(outputs(stats, o));
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        player.play();
        QTest::qWait(100);
        QElapsedTimer sinceSeek;
        sinceSeek.start();
        player.seek(1.0);
        QTest::qWait(100);
        const double at = player.currentPosition();
        QVERIFY2(at >= 1.0 && at <= 1.0 + sinceSeek.elapsed() / 1000.0 + 0.02, qPrintable(QString::number(at)));
        player.pause();
        QTest::qWait(100);
        player.stop();
        player.play();  // a new worker, stopped while it waits for room
        QTest::qWait(100);
        player.stop();
        for (int i = 0; i < 100 && stats->openCount.load() > 0; ++i) QTest::qWait(5);
        QCOMPARE(stats->openCount.load(), 0);
        QCOMPARE(stats->waitsTimedOut.load(), 0);
        QVERIFY(stats->waitsInterrupted.load() >= 3);
    }

    void stopAndNewFilesNeverDeliverAStaleEnd() {
        auto stats = std::make_shared<FakeOutputStats>();
        const int baseline = testsupport::ThreadCount();
        {
            MediaPlayer player(outputs(stats));
            QSignalSpy ended(&player, &MediaComponent::endReached);
            QSignalSpy length(&player, &MediaComponent::lengthKnown);
            player.setFileName(path(QStringLiteral("tone1.mp3")));
            player.play();
            // Stopped late in the file, before its end is told.
            QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 0.6; }, 10000));
            player.stop();
            QCOMPARE(player.currentPosition(), 0.0);
            QTest::qWait(500);
            QCOMPARE(ended.count(), 0);
            // Replace the file over and over, some of the time just as the
            // previous one ends. An end may come only for a file that was all
            // queued (0.8 s of it heard), never for one replaced early.
            player.setAutoStart(true);
            QElapsedTimer sinceSet;
            std::vector<qint64> endAges;
            auto age =
                connect(&player, &MediaComponent::endReached, this, [&] { endAges.push_back(sinceSet.elapsed()); });
            for (int i = 0; i < 12; ++i) {
                sinceSet.start();
                player.setFileName(path(QStringLiteral("tone1.mp3")));
                QTest::qWait(i % 2 ? 990 : 40 + 10 * i);
            }
            disconnect(age);
            for (qint64 ms : endAges)
                QVERIFY2(ms >= 750, qPrintable(QStringLiteral("an end %1 ms after its file was set").arg(ms)));
            ended.clear();
            length.clear();
            QElapsedTimer clock;
            clock.start();
            player.setFileName(path(QStringLiteral("tone2.mp3")));
            QVERIFY(length.wait(1000));
            QCOMPARE(length.count(), 1);
            QVERIFY(std::abs(player.duration() - 2.0) < 0.05);
            QVERIFY(ended.wait(4000));
            QVERIFY2(clock.elapsed() >= 1750, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(ended.count(), 1);
            player.play();
            QTest::qWait(200);
            // Destroyed while playing.
        }
        QVERIFY(ThreadsBackTo(baseline));
        QCOMPARE(stats->openCount.load(), 0);
    }

    void endOfAReplacedPlaybackIsDropped() {
        // The worker has already reported its end when the UI thread stops or
        // replaces the file, before it got to the queued report.
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats, {false, false, -1}));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        // The worker has played the file to its end (instantly) and closed the
        // device; the UI thread, not serving its events meanwhile, has not yet
        // run the report it posts right after that.
        auto workerDone = [&] {
            QElapsedTimer deadline;
            deadline.start();
            while (stats->openCount.load() > 0 && deadline.elapsed() < 10000)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (stats->openCount.load() > 0)
                qWarning("still open: %d device(s), %lld frames written", stats->openCount.load(),
                         stats->frames.load());
            return stats->openCount.load() == 0;
        };
        player.setFileName(path(QStringLiteral("tone1.mp3")));
        player.play();
        QVERIFY(workerDone());
        player.stop();
        QTest::qWait(100);
        QCOMPARE(ended.count(), 0);

        length.clear();
        player.play();
        QVERIFY(workerDone());
        player.setFileName(path(QStringLiteral("tone2.mp3")));  // not started: auto-start is off
        player.setFileName(path(QStringLiteral("tone1.mp3")));
        QTest::qWait(100);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(length.count(), 1);  // only the file that is current now
        QVERIFY(std::abs(player.duration() - 1.0) < 0.05);

        player.play();  // and a natural end is still reported
        QVERIFY(ended.wait(2000));
        QCOMPARE(ended.count(), 1);
    }

    void deletedWhilePlayingPlaysOn() {
        QString file = dir_.filePath(QStringLiteral("doomed.mp3"));
        QVERIFY(QFile::copy(tone1_, file));
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(path(QStringLiteral("doomed.mp3")));
        player.play();
        QTest::qWait(200);
        QVERIFY(QFile::remove(file));
        QVERIFY(ended.wait(3000));
        QCOMPARE(ended.count(), 1);
        // Play again: the file is gone now.
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::FileNotFound);
    }

    void controlBarDrivesTheEngine() {
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        MediaPlayerBar bar(player);
        bar.resize(400, 40);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto* playButton = bar.findChild<QAbstractButton*>(QStringLiteral("playPauseButton"));
        auto* stopButton = bar.findChild<QAbstractButton*>(QStringLiteral("stopButton"));
        auto* slider = bar.findChild<QSlider*>(QStringLiteral("seekSlider"));
        auto* readout = bar.findChild<QLabel*>(QStringLiteral("positionReadout"));
        QVERIFY(playButton && stopButton && slider && readout);
        QCOMPARE(readout->text(), QStringLiteral("00:00 / 00:00"));
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        QTRY_COMPARE(readout->text(), QStringLiteral("00:00 / 00:02"));
        QTest::mouseClick(playButton, Qt::LeftButton);
        QCOMPARE(player.state(), MediaComponent::State::Playing);
        QTest::qWait(300);
        QTest::mouseClick(playButton, Qt::LeftButton);
        QTest::qWait(50);
        QCOMPARE(player.state(), MediaComponent::State::Paused);
        // A click three quarters along the slider jumps there.
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
        QTest::qWait(50);
        QVERIFY2(std::abs(player.currentPosition() - 1.5) < 0.15,
                 qPrintable(QString::number(player.currentPosition())));
        QTest::qWait(150);
        QCOMPARE(readout->text(), QStringLiteral("00:01 / 00:02"));
        // The handle is dragged to a quarter: the readout shows the time under
        // it, nothing is sought until the release, which seeks once; then
        // Home seeks to the start.
        auto* seek = static_cast<SeekSlider*>(slider);
        QSignalSpy seeks(seek, &SeekSlider::seekRequested);
        auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
            QMouseEvent e(type, at, slider->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(slider, &e);
        };
        const QPoint grab = seek->partRect(QStyle::SC_SliderHandle).center();
        const QRect groove = seek->partRect(QStyle::SC_SliderGroove);
        const QPoint quarter(groove.left() + groove.width() / 4, grab.y());
        mouse(QEvent::MouseButtonPress, grab, Qt::LeftButton);
        mouse(QEvent::MouseMove, (grab + quarter) / 2, Qt::LeftButton);
        mouse(QEvent::MouseMove, quarter, Qt::LeftButton);
        QTest::qWait(50);
        QCOMPARE(seeks.count(), 0);
        QCOMPARE(readout->text(), QStringLiteral("00:00 / 00:02"));
        QVERIFY2(std::abs(player.currentPosition() - 1.5) < 0.15,
                 qPrintable(QString::number(player.currentPosition())));
        mouse(QEvent::MouseButtonRelease, quarter, Qt::NoButton);
        QCOMPARE(seeks.count(), 1);
        QVERIFY2(std::abs(player.currentPosition() - 0.5) < 0.15,
                 qPrintable(QString::number(player.currentPosition())));
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(seeks.count(), 2);
        QCOMPARE(player.currentPosition(), 0.0);
        QTest::mouseClick(stopButton, Qt::LeftButton);
        QCOMPARE(player.state(), MediaComponent::State::Stopped);
        QCOMPARE(player.currentPosition(), 0.0);
        QCOMPARE(readout->text(), QStringLiteral("00:00 / 00:02"));
        QCOMPARE(slider->value(), 0);
    }
};

QTEST_MAIN(EnginePlaybackTest)
#include "engine_playback_test.moc"
