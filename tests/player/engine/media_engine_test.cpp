// The engine and the component against a device double: broken and hostile
// media, a source that fails part-way, a device that fails or is lost, and a
// format change. Needs no sound server.
#include "common/deadline.h"
#include "engine_fixture.h"

#include <taglib/apetag.h>
#include <taglib/mpegfile.h>

class MediaEngineTest : public QObject, protected EngineFiles {
    Q_OBJECT

private slots:
    void initTestCase() { MakeFiles(); }

    // ---- opening -------------------------------------------------------------

    void decoderFindsExactLength() {
        auto d = Decoder::OpenFile(QFile::encodeName(tone2_).toStdString());
        QCOMPARE(d->rate(), 44100);
        QCOMPARE(d->channels(), 1);
        QVERIFY2(std::abs(d->measure() - 2.0) < 0.05, qPrintable(QString::number(d->measure())));
        // Decoding yields that many frames, no more (gapless trim of the
        // encoder's delay and padding), also at a rate whose frames are
        // half as long (where opening passes over the frames of the delay).
        std::vector<int16_t> buf(4096);
        size_t frames = 0, total = 0;
        for (const QString& file : {tone2_, lowRate_}) {
            d = Decoder::OpenFile(QFile::encodeName(file).toStdString());
            const int64_t length = std::llround(d->measure() * d->rate());
            total = 0;
            while (d->read(buf.data(), buf.size(), frames) == Decoder::Status::Data) total += frames;
            QVERIFY(!d->failed());
            QCOMPARE(static_cast<int64_t>(total), length);
        }
        // A stream whose rate changes part-way: 1 s at 44.1 kHz and 1 s at
        // 22.05 kHz last 2 s (with each part's encoder delay and padding),
        // not 1.5 s counted at the first rate.
        auto m = Decoder::OpenFile(QFile::encodeName(mixed_).toStdString());
        QVERIFY2(m->measure() > 2.0 && m->measure() < 2.15, qPrintable(QString::number(m->measure())));
        // Read in large pieces, the first part comes whole (what libmpg123
        // decoded before it announced the new rate included), then the change.
        m = Decoder::OpenFile(QFile::encodeName(mixed_).toStdString());
        std::vector<int16_t> large(32768);
        total = 0;
        Decoder::Status st;
        while ((st = m->read(large.data(), large.size(), frames)) == Decoder::Status::Data) total += frames;
        QCOMPARE(st, Decoder::Status::FormatChanged);
        QCOMPARE(total, size_t(44100));
        QCOMPARE(m->rate(), 22050);
        QCOMPARE(m->read(large.data(), large.size(), frames), Decoder::Status::Data);
    }

    // Volume levelling scales what is decoded by the file's own gain (track
    // or album), adds the pre-amplification, gives a file without a gain its
    // own, and holds a gain above 0 dB to the file's peak.
    void levellingScalesByTheFilesGain() {
        const QString tagged = dir_.filePath(QStringLiteral("gained.mp3"));
        const QString plain = dir_.filePath(QStringLiteral("plain.mp3"));
        QVERIFY(testsupport::GenerateMp3(
            tagged, 1.0, 440,
            {"--noreplaygain", "--add-id3v2", "--tv", "TXXX=replaygain_track_gain=-6.00 dB", "--tv",
             "TXXX=replaygain_album_gain=-9.00 dB", "--tv", "TXXX=replaygain_track_peak=0.500000"}));
        QVERIFY(testsupport::GenerateMp3(plain, 1.0, 440, {"--noreplaygain"}));
        // The same gains in an APEv2 tag (as mp3gain writes them), and one
        // beside an ID3v2 gain, which wins.
        const QString ape = dir_.filePath(QStringLiteral("ape.mp3"));
        const QString both = dir_.filePath(QStringLiteral("both.mp3"));
        QVERIFY(testsupport::GenerateMp3(ape, 1.0, 440, {"--noreplaygain"}));
        QVERIFY(QFile::copy(tagged, both));
        // Files with a track's gain only: an ID3v2 one (either case), and
        // the LAME header's.
        const QString trackOnly = dir_.filePath(QStringLiteral("trackonly.mp3"));
        const QString trackUpper = dir_.filePath(QStringLiteral("trackupper.mp3"));
        const QString lame = dir_.filePath(QStringLiteral("lamegain.mp3"));
        QVERIFY(testsupport::GenerateMp3(
            trackOnly, 1.0, 440, {"--noreplaygain", "--add-id3v2", "--tv", "TXXX=replaygain_track_gain=-10.00 dB"}));
        QVERIFY(testsupport::GenerateMp3(
            trackUpper, 1.0, 440, {"--noreplaygain", "--add-id3v2", "--tv", "TXXX=REPLAYGAIN_TRACK_GAIN=-10.00 dB"}));
        QVERIFY(testsupport::GenerateMp3(lame, 1.0, 440, {"--replaygain-accurate"}));
        for (const QString& file : {ape, both}) {
            TagLib::MPEG::File f(QFile::encodeName(file).constData(), false);
            TagLib::APE::Tag* tag = f.APETag(true);
            tag->addValue("REPLAYGAIN_TRACK_GAIN", file == ape ? "-6.00 dB" : "-12.00 dB");
            tag->addValue("REPLAYGAIN_ALBUM_GAIN", "-9.00 dB");
            tag->addValue("REPLAYGAIN_TRACK_PEAK", "0.500000");
            QVERIFY(f.save(TagLib::MPEG::File::APE, TagLib::File::StripNone));
        }
        using Mode = Decoder::Levelling::Mode;
        struct Row {
            const QString& file;
            Decoder::Levelling levelling;
            double scale;
        };
        const Row rows[] = {
            {tagged, {Mode::Off, 6, 6}, 1.0},
            {tagged, {Mode::Track, 0, 6}, 0.501},
            {tagged, {Mode::Album, 0, 6}, 0.355},
            {tagged, {Mode::Album, 3, 0}, 0.501},
            {tagged, {Mode::Track, 15, 0}, 2.0},  // +9 dB held to the peak of 0.5
            {plain, {Mode::Track, 6, -6}, 0.501},
            {plain, {Mode::Album, 0, 0}, 1.0},
            {ape, {Mode::Off, 6, 6}, 1.0},
            {ape, {Mode::Track, 0, 6}, 0.501},
            {ape, {Mode::Album, 3, 0}, 0.501},
            {ape, {Mode::Track, 15, 0}, 2.0},
            {both, {Mode::Track, 0, 0}, 0.501},
            // Album levelling falls back to the track's gain.
            {trackOnly, {Mode::Album, 2, 0}, 0.398},
            {trackUpper, {Mode::Album, 2, 0}, 0.398},
        };
        // Applied to the samples, which are never wrapped.
        const auto rmsOf = [](const QString& file, const Decoder::Levelling& levelling) {
            auto d = Decoder::OpenFile(QFile::encodeName(file).toStdString());
            d->setLevelling(levelling);
            std::vector<int16_t> buf(44100);
            size_t frames = 0;
            if (d->read(buf.data(), buf.size(), frames) != Decoder::Status::Data) return 0.0;
            double sum = 0;
            for (size_t i = 0; i < frames; ++i) sum += double(buf[i]) * buf[i];
            return std::sqrt(sum / frames);
        };
        const double offRms = rmsOf(tagged, {Mode::Off, 0, 0});
        for (const Row& row : rows) {
            const double ratio = rmsOf(row.file, row.levelling) / offRms;
            QVERIFY2(std::abs(ratio - row.scale) < 0.02 * row.scale,
                     qPrintable(QStringLiteral("%1: %2").arg(row.file).arg(ratio)));
        }
        const double lameTrack = rmsOf(lame, {Mode::Track, 2, 0}), lameAlbum = rmsOf(lame, {Mode::Album, 2, 0});
        QVERIFY2(lameTrack < 0.95 * rmsOf(lame, {Mode::Off, 0, 0}), qPrintable(QString::number(lameTrack)));
        QVERIFY2(std::abs(lameAlbum / lameTrack - 1) < 0.02, qPrintable(QString::number(lameAlbum / lameTrack)));
    }

    void lengthIsMeasuredOffTheCallersThread() {
        // Loading opens the file and reads its first frames; the scan of the
        // whole file (long for an hour of audio) runs on a thread of its own,
        // and its length comes with the measured callback.
        const QString longFile = dir_.filePath(QStringLiteral("thirty.mp3"));
        QVERIFY(testsupport::GenerateMp3(longFile, 30.0, 440));
        const std::string p = QFile::encodeName(longFile).toStdString();
        const long long size = static_cast<long long>(testsupport::ReadBytes(longFile).size());
        std::atomic<long long> readHere{0}, readAll{0};
        std::atomic<int> told{0};
        auto stats = std::make_shared<FakeOutputStats>();
        PlaybackEngine engine(outputs(stats), {nullptr, [&told](uint64_t) { ++told; }, nullptr, nullptr});
        engine.load([p, &readHere, &readAll] {
            return std::make_unique<Decoder>(std::make_unique<FailingSource>(p, 1LL << 40, &readHere, &readAll));
        });
        QVERIFY(QTest::qWaitFor([&] { return told.load() == 1; }, 10000));
        QVERIFY2(readHere.load() < size / 4,
                 qPrintable(QStringLiteral("%1 of %2 bytes").arg(readHere.load()).arg(size)));
        // The scan reads the file once.
        QVERIFY2(readAll.load() < size + size / 4,
                 qPrintable(QStringLiteral("%1 of %2 bytes").arg(readAll.load()).arg(size)));
        QVERIFY2(std::abs(engine.duration() - 30.0) < 0.05, qPrintable(QString::number(engine.duration())));
    }

    void brokenFileIsAnError_data() {
        QTest::addColumn<QByteArray>("content");  // "<missing>" and "<dir>" are special
        QTest::addColumn<int>("number");
        std::mt19937 rng(12345);
        QByteArray random(64 * 1024, '\0');
        for (auto& c : random) c = static_cast<char>(rng() & 0xff);
        QTest::newRow("random bytes") << random << ErrNo::NotMpegAudio;
        QTest::newRow("empty file") << QByteArray() << ErrNo::NotMpegAudio;
        QTest::newRow("missing file") << QByteArray("<missing>") << ErrNo::FileNotFound;
        QTest::newRow("folder") << QByteArray("<dir>") << ErrNo::PathFileAccess;
        QTest::newRow("named pipe, refused without waiting for a writer")
            << QByteArray("<fifo>") << ErrNo::NotMpegAudio;
        // An ID3v2 header that announces 4 KiB of tag, and nothing after it.
        QTest::newRow("ID3v2 header only") << QByteArray("ID3\x03\x00\x00\x00\x00\x20\x00", 10) << ErrNo::NotMpegAudio;
        QTest::newRow("ID3v2 tag then zeros")
            << (QByteArray("ID3\x03\x00\x00\x00\x00\x00\x10", 10) + QByteArray(16 + 3000, '\0')) << ErrNo::NotMpegAudio;
        QTest::newRow("2 GB sparse file of zeros") << QByteArray("<sparse>") << ErrNo::NotMpegAudio;
        QTest::newRow("text file") << QByteArray("#EXTM3U\nnot music at all\n").repeated(100) << ErrNo::NotMpegAudio;
    }

    void brokenFileIsAnError() {
        QFETCH(QByteArray, content);
        QFETCH(int, number);
        QString file = dir_.filePath(QStringLiteral("broken"));
        QFile::remove(file);
        QDir(dir_.path()).rmdir(QStringLiteral("broken"));
        if (content == "<dir>") {
            QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("broken")));
        } else if (content == "<fifo>") {
            QVERIFY(testsupport::MakeFifo(file));
        } else if (content == "<sparse>") {
            QFile sparse(file);
            QVERIFY(sparse.open(QIODevice::WriteOnly));
            QVERIFY(sparse.resize(qint64(2) * 1024 * 1024 * 1024 + 4096));
        } else if (content != "<missing>")
            QVERIFY(testsupport::WriteBytes(file, content.toStdString()));

        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setAutoStart(true);
        int got = 0;
        testsupport::UiWatchdog watchdog([file] { testsupport::ReleaseFifoReader(file); });
        try {
            player.setFileName(path(QStringLiteral("broken")));
        } catch (const AppError& e) {
            got = e.number();
            QVERIFY(!e.description().empty());
        }
        QCOMPARE(got, number);
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), number);
        QVERIFY(!watchdog.stalled());
        QTest::qWait(50);
        QCOMPARE(length.count(), 0);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(player.duration(), 0.0);
        QCOMPARE(player.currentPosition(), 0.0);
        QVERIFY(stats->opens.empty());
        QDir(dir_.path()).rmdir(QStringLiteral("broken"));
        QFile::remove(file);
    }

    void emptyPathIsNotPlayable() {
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        player.setFileName(path(QStringLiteral("tone1.mp3")));
        player.setFileName(std::string());
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::FileNotFound);
        QTest::qWait(30);
        QCOMPARE(length.count(), 0);  // the event of the file replaced at once is dropped
        QCOMPARE(player.duration(), 0.0);
    }

    void truncatedFilePlaysWhatItHasAndEnds() {
        // The first 1000 bytes of a real file: its header promises two seconds,
        // the scan finds a few frames. It plays them and ends normally.
        QString file = dir_.filePath(QStringLiteral("truncated.mp3"));
        QVERIFY(testsupport::WriteBytes(file, testsupport::ReadBytes(tone2_).substr(0, 1000)));
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setAutoStart(true);
        player.setFileName(path(QStringLiteral("truncated.mp3")));
        // So short a file may end before its length is measured: either
        // comes first.
        QVERIFY(QTest::qWaitFor([&] { return length.count() == 1; }, 2000));
        QVERIFY2(player.duration() > 0 && player.duration() < 0.1, qPrintable(QString::number(player.duration())));
        QVERIFY(QTest::qWaitFor([&] { return ended.count() >= 1; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return stats->openCount.load() == 0; }, 3000));  // once its tail was heard
        QCOMPARE(ended.count(), 1);
        // A lead of silence, the file, and the silence behind it.
        QVERIFY(stats->frames > 2205 + kTrailing && stats->frames < 2205 + 4410 + kTrailing);
    }

    // A share that stops answering: a file on it cannot be opened once the
    // deadline has passed, and a worker stuck in a read of one is left to
    // itself, so that a local file plays at once; it ends once the share
    // answers.
    void stalledShareHoldsNothingUp() {
        if (!testsupport::StallingShare::missing().isEmpty()) QSKIP(qPrintable(testsupport::StallingShare::missing()));
        testsupport::StallingShare share;
        QVERIFY(share.mount());
        QVERIFY(testsupport::GenerateMp3(share.source(QStringLiteral("long.mp3")), 10.0, 440));
        const std::string shared = share.shared(QStringLiteral("long.mp3"));
        const int baseline = testsupport::ThreadCount();
        auto stats = std::make_shared<FakeOutputStats>();
        {
            MediaPlayer player(outputs(stats));
            // Each wait on the share is cut at the deadline: the window answers
            // between them.
            testsupport::UiWatchdog watchdog([&share] { share.answer(); }, 2 * kFileDeadline.count());
            QVERIFY(share.stall());
            QCOMPARE(testsupport::ErrorNumberOf([&] { player.setFileName(shared); }), ErrNo::PathFileAccess);
            QVERIFY(!watchdog.stalled());
            QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::PathFileAccess);
            QVERIFY(!watchdog.stalled());
            share.answer();

            player.setFileName(shared);
            player.play();
            QTRY_VERIFY(player.duration() > 9.0);  // the length's scan is done with the file
            QVERIFY(share.stall());
            QTRY_VERIFY_WITH_TIMEOUT(share.waitedOn(), 10000);  // the worker waits in a read
            const long long stuckAt = stats->frames;
            player.setFileName(path(QStringLiteral("tone2.mp3")));
            player.play();
            QTRY_VERIFY_WITH_TIMEOUT(stats->frames > stuckAt + 22050, 5000);
            QCOMPARE(stats->opens.size(), size_t(2));
            QCOMPARE(player.state(), MediaComponent::State::Playing);
            QVERIFY(!watchdog.stalled());
            share.answer();
        }
        QVERIFY(ThreadsBackTo(baseline));
    }

    void readFailingDuringOpenIsAnError() {
        const std::string p = QFile::encodeName(tone2_).toStdString();
        // Opening reads the first frames; the scan that measures the length
        // reads the rest, and reports the failure.
        QCOMPARE(testsupport::ErrorNumberOf([&] { Decoder(std::make_unique<FailingSource>(p, 5000)).measure(); }),
                 ErrNo::DeviceIoError);
    }

    // ---- playing -------------------------------------------------------------

    void readFailingPartWayEndsOnce() {
        const std::string p = QFile::encodeName(tone2_).toStdString();
        const long long size = static_cast<long long>(testsupport::ReadBytes(tone2_).size());
        auto stats = std::make_shared<FakeOutputStats>();
        auto log = std::make_shared<EndLog>();
        const int baseline = testsupport::ThreadCount();
        {
            PlaybackEngine engine(outputs(stats, {false, false, -1}), Record(log));
            // Playback fails half-way through (and so does the measuring).
            engine.load([p, size] { return std::make_unique<Decoder>(std::make_unique<FailingSource>(p, size / 2)); });
            engine.play();
            QVERIFY(QTest::qWaitFor([&] { return log->count() > 0; }, 5000));
            QCOMPARE(log->count(), size_t(1));
            QVERIFY(engine.finishSession(log->ids[0]));
            QCOMPARE(engine.state(), PlaybackEngine::State::Stopped);
            QVERIFY2(stats->frames > 20000 && stats->frames < 80000, qPrintable(QString::number(stats->frames)));
            QVERIFY(QTest::qWaitFor([&] { return stats->openCount.load() == 0; }, 3000));  // after its tail
            // Told as a failure, with what was played of it before.
            const TrackEnd end = log->end(0);
            QCOMPARE(end.cause, TrackEnd::Cause::ReadFailed);
            QVERIFY(!end.detail.empty());
            QCOMPARE(end.framesPlayed, stats->frames.load() - kLeadIn - kTrailing);
        }
        {
            // Reads fail right after the first frame, which opening the file
            // reads: a failure with no more heard than that frame gives.
            long long opened = 0;
            for (long long n = 16; n < size && !opened; n += 16) {
                try {
                    Decoder probe(std::make_unique<FailingSource>(p, n));
                    opened = n;
                } catch (const AppError&) {
                }
            }
            QVERIFY(opened > 0);
            auto first = std::make_shared<FakeOutputStats>();
            auto told = std::make_shared<EndLog>();
            PlaybackEngine engine(outputs(first, {false, false, -1}), Record(told));
            engine.load([p, opened] { return std::make_unique<Decoder>(std::make_unique<FailingSource>(p, opened)); });
            engine.play();
            QVERIFY(QTest::qWaitFor([&] { return told->count() > 0; }, 5000));
            const TrackEnd end = told->end(0);
            QCOMPARE(end.cause, TrackEnd::Cause::ReadFailed);
            // An MPEG-1 layer III frame holds 1152.
            QVERIFY2(end.framesPlayed <= 1152, qPrintable(QString::number(end.framesPlayed)));
        }
        {
            // A stream that cannot be sought: a seek back ends it as one that
            // cannot be read further, not as played to its end.
            auto st = std::make_shared<FakeOutputStats>();
            auto told = std::make_shared<EndLog>();
            PlaybackEngine engine(outputs(st), Record(told));
            engine.load([p] {
                auto source = std::make_unique<FailingSource>(p, 1LL << 40);
                source->seekFails = true;
                return std::make_unique<Decoder>(std::move(source));
            });
            engine.play();
            QVERIFY(QTest::qWaitFor([&] { return engine.position() > 0.3; }, 3000));
            engine.seek(0.05);
            QVERIFY(QTest::qWaitFor([&] { return told->count() > 0; }, 5000));
            QCOMPARE(told->end(0).cause, TrackEnd::Cause::ReadFailed);
        }
        {
            // In real time: the measuring failed, the length is unknown, and
            // yet the position runs on and a seek moves it.
            PlaybackEngine engine(outputs(stats), [](uint64_t, const TrackEnd&) {});
            engine.load([p, size] { return std::make_unique<Decoder>(std::make_unique<FailingSource>(p, size / 2)); });
            engine.play();
            QVERIFY(QTest::qWaitFor([&] { return engine.position() > 0.2; }, 3000));
            QCOMPARE(engine.duration(), 0.0);
            engine.seek(0.6);
            QVERIFY2(QTest::qWaitFor([&] { return engine.position() >= 0.6; }, 2000),
                     qPrintable(QString::number(engine.position())));
        }
        QVERIFY(ThreadsBackTo(baseline));
    }

    void lateRequestsGoWithTheTrackThatEnded() {
        // A pause or seek that reaches a track after its end was told, but
        // before the UI thread took the end, belongs to the track that ended:
        // its tail plays out, and the next file plays from where it is asked.
        auto stats = std::make_shared<FakeOutputStats>();
        auto log = std::make_shared<EndLog>();
        const std::string one = QFile::encodeName(tone1_).toStdString();
        const std::string low = QFile::encodeName(lowRate_).toStdString();
        PlaybackEngine engine(outputs(stats), Record(log));
        const auto lateRequestsThenTheEnd = [&](size_t n) {
            if (!QTest::qWaitFor([&] { return log->count() == n; }, 5000)) return false;
            engine.pause();
            engine.seek(0.1);
            return engine.finishSession(log->ids[n - 1]);
        };
        // Another format follows: its device opens once the tail is heard.
        engine.load([one] { return Decoder::OpenFile(one); });
        engine.play();
        QVERIFY(lateRequestsThenTheEnd(1));
        engine.load([low] { return Decoder::OpenFile(low); });
        engine.play();
        QCOMPARE(engine.state(), PlaybackEngine::State::Playing);
        QVERIFY(lateRequestsThenTheEnd(2));
        // The same format follows in the open device; a seek asked at once is
        // the new track's.
        engine.load([low] { return Decoder::OpenFile(low); });
        engine.play();
        engine.seek(0.5);
        QVERIFY(QTest::qWaitFor([&] { return log->count() == 3; }, 5000));
        std::lock_guard<std::mutex> lock(stats->mutex);
        QCOMPARE(stats->opens, (std::vector<std::pair<int, int>>{{44100, 1}, {22050, 1}}));
        // The lead-ins, the first file and the second whole, the silence
        // behind the first device's last tail, and the third from half a
        // second on.
        const long long expected = 2200 + 1100 + LengthFrames(one) + kTrailing + LengthFrames(low) * 2 - 11025;
        QVERIFY2(std::abs(stats->frames - expected) < 1500,
                 qPrintable(QStringLiteral("%1 of %2").arg(stats->frames).arg(expected)));
        // Each track counts what of it was written: the first two whole, the
        // third from the point it was sought to.
        for (size_t i = 0; i < 3; ++i) QCOMPARE(log->end(i).cause, TrackEnd::Cause::Finished);
        QCOMPARE(log->end(0).framesPlayed, LengthFrames(one));
        QCOMPARE(log->end(1).framesPlayed, LengthFrames(low));
        const int64_t third = log->end(2).framesPlayed, fromHalf = LengthFrames(low) - 11025;
        QVERIFY2(std::abs(third - fromHalf) < 1500, qPrintable(QStringLiteral("%1 of %2").arg(third).arg(fromHalf)));
    }

    void positionAtRestIsTold() {
        // The position runs on by itself only while playing and while the
        // last moments of an ended file are heard; every other move is told
        // (positionJumped), so that a display which sleeps meanwhile is
        // never left behind.
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        player.setDeviceRetry(std::chrono::milliseconds(300));
        QSignalSpy jumped(&player, &MediaComponent::positionJumped);
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        QVERIFY(!player.positionRuns());
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        player.play();
        QVERIFY(player.positionRuns());
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 0.4; }, 5000));
        // A pause takes hold on the worker, where the device had got to.
        player.pause();
        QVERIFY(!player.positionRuns());
        QTRY_COMPARE(jumped.count(), 1);
        QVERIFY2(player.currentPosition() >= 0.3 && player.currentPosition() < 1.5,
                 qPrintable(QString::number(player.currentPosition())));
        // A seek while paused is told at once, and again once taken.
        player.seek(1.5);
        QCOMPARE(jumped.count(), 2);
        QTRY_COMPARE(jumped.count(), 3);
        QCOMPARE(player.currentPosition(), 1.5);
        QVERIFY(!player.positionRuns());
        // The end: stopped, running on while its last moments are heard
        // (its device still open), and back at 0 once they were.
        bool runsAtEnd = false, openAtEnd = false;
        connect(&player, &MediaComponent::endReached, &player, [&] {
            runsAtEnd = player.positionRuns();  // first: the device is closed before it stops running
            openAtEnd = stats->openCount.load() > 0;
        });
        player.play();
        QVERIFY(player.positionRuns());
        QVERIFY(ended.wait(5000));
        QVERIFY(player.state() != MediaComponent::State::Playing);
        QVERIFY(runsAtEnd || !openAtEnd);
        if (!openAtEnd) qInfo("the last moments were heard before the end was taken");
        QTRY_COMPARE(jumped.count(), 4);
        QCOMPARE(player.currentPosition(), 0.0);
        QVERIFY(!player.positionRuns());
        QCOMPARE(ended.count(), 1);
        // Stop tells its move back to 0 even when stopped: here from the
        // place kept after a lost device.
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 0.3; }, 5000));
        stats->gone = true;
        QVERIFY(lost.wait(5000));
        QVERIFY(player.currentPosition() > 0.2);
        QVERIFY(!player.positionRuns());
        QCOMPARE(jumped.count(), 4);
        player.stop();
        QCOMPARE(jumped.count(), 5);
        QCOMPARE(player.currentPosition(), 0.0);
        stats->gone = false;
    }

    void deviceLossKeepsThePlaceAndResumes() {
        // The device goes away part-way and comes back within the retry time:
        // the track goes on from where it was heard, and ends once, finished.
        {
            auto log = std::make_shared<EndLog>();
            auto st = std::make_shared<FakeOutputStats>();
            PlaybackEngine engine(outputs(st, {true, false, -1}), Record(log));
            const std::string name = QFile::encodeName(tone2_).toStdString();
            engine.load([name] { return Decoder::OpenFile(name); });
            engine.play();
            QVERIFY(QTest::qWaitFor([&] { return engine.position() >= 0.5; }, 5000));
            st->gone = true;
            QVERIFY(QTest::qWaitFor([&] { return st->openCount.load() == 0; }, 5000));
            const double kept = engine.position();
            QVERIFY2(kept >= 0.3 && kept < 1.2, qPrintable(QString::number(kept)));
            QCOMPARE(engine.state(), PlaybackEngine::State::Playing);
            st->gone = false;
            QVERIFY(QTest::qWaitFor([&] { return log->count() == 1; }, 5000));
            QCOMPARE(log->end(0).cause, TrackEnd::Cause::Finished);
            // All of the file was written, what the lost device held twice.
            QVERIFY(log->end(0).framesPlayed >= LengthFrames(name));
            std::lock_guard<std::mutex> lock(st->mutex);
            QVERIFY(st->opens.size() >= 2);
        }
        // It stays away: the component tells the loss once, tells no end
        // (the play-on stays), keeps the place, and Play of the same file
        // resumes there once the device is back; Stop forgets the place.
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats, {true, false, -1}));
        player.setDeviceRetry(std::chrono::milliseconds(400));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        player.play();
        QVERIFY(QTest::qWaitFor([&] { return player.currentPosition() >= 0.5; }, 5000));
        stats->gone = true;
        QVERIFY(lost.wait(5000));
        QTest::qWait(50);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(ended.count(), 0);
        QVERIFY(lost.at(0).at(0).toString().startsWith(QStringLiteral("No sound device is available")));
        QVERIFY(player.state() != MediaComponent::State::Playing);
        QCOMPARE(stats->openCount.load(), 0);
        const double kept = player.currentPosition();
        QVERIFY2(kept >= 0.3 && kept < 1.2, qPrintable(QString::number(kept)));
        stats->gone = false;
        const long long before = stats->frames;
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        player.play();
        QCOMPARE(player.state(), MediaComponent::State::Playing);
        QVERIFY(player.currentPosition() >= kept - 0.01);
        QVERIFY(ended.wait(5000));
        QCOMPARE(lost.count(), 1);
        // Written after the resume: the lead-in and the rest from `kept`.
        const long long rest =
            LengthFrames(path(QStringLiteral("tone2.mp3"))) - static_cast<long long>(kept * 44100) + kLeadIn;
        QVERIFY2(std::abs(stats->frames - before - rest) < 4410,
                 qPrintable(QStringLiteral("%1 of %2").arg(stats->frames - before).arg(rest)));
        player.stop();
        player.play();
        QCOMPARE(player.currentPosition() < 0.2, true);
        player.stop();

        // The engine tells the device's failure as the cause, once its retries
        // are over: part-way, at once, and when the device cannot be reopened
        // for a new format.
        const auto endOf = [&](const QString& file, FakeOutput::Options o, std::shared_ptr<FakeOutputStats> st,
                               TrackEnd& end) {
            auto log = std::make_shared<EndLog>();
            PlaybackEngine engine(outputs(st, o), Record(log));
            engine.setDeviceRetry(std::chrono::milliseconds(300));
            const std::string name = QFile::encodeName(file).toStdString();
            engine.load([name] { return Decoder::OpenFile(name); });
            engine.play();
            if (!QTest::qWaitFor([&] { return log->count() > 0 && st->openCount.load() == 0; }, 5000)) return false;
            end = log->end(0);
            return log->count() == 1;
        };
        TrackEnd end;
        auto partWay = std::make_shared<FakeOutputStats>();
        QVERIFY(endOf(tone2_, {false, false, 10000}, partWay, end));
        QCOMPARE(end.cause, TrackEnd::Cause::DeviceFailed);
        QVERIFY(!end.detail.empty());
        QVERIFY(end.framesPlayed > 0);
        QCOMPARE(end.framesPlayed, partWay->frames.load() - kLeadIn);
        QVERIFY(endOf(tone2_, {false, false, 0}, std::make_shared<FakeOutputStats>(), end));
        QCOMPARE(end.cause, TrackEnd::Cause::DeviceFailed);
        QCOMPARE(end.framesPlayed, int64_t(0));
        FakeOutput::Options noReopen;
        noReopen.realTime = false;
        noReopen.failOpenAfter = 1;
        auto reopen = std::make_shared<FakeOutputStats>();
        QVERIFY(endOf(mixed_, noReopen, reopen, end));
        QCOMPARE(end.cause, TrackEnd::Cause::DeviceFailed);
        QVERIFY(!end.detail.empty());
        QCOMPARE(end.framesPlayed, reopen->frames.load() - kLeadIn);  // the first part, about a second
        QVERIFY2(std::abs(end.framesPlayed - 44100) < 2000, qPrintable(QString::number(end.framesPlayed)));
    }

    void formatChangeReopensTheDevice() {
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats, {false, false, -1}));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        player.setFileName(QFile::encodeName(mixed_).toStdString());
        player.play();
        QVERIFY(ended.wait(5000));
        std::lock_guard<std::mutex> lock(stats->mutex);
        QCOMPARE(stats->opens.size(), size_t(2));
        QCOMPARE(stats->opens[0], std::make_pair(44100, 1));
        QCOMPARE(stats->opens[1], std::make_pair(22050, 1));
        // Both halves were played: about a second at each rate.
        QVERIFY2(std::abs(stats->frames - (44100 + 22050)) < 6000, qPrintable(QString::number(stats->frames)));
        QVERIFY(QTest::qWaitFor([&] { return stats->openCount.load() == 0; }, 3000));
    }

    // The device is opened by the worker, not by Play: with none, Play
    // answers at once and the loss is told, once for each Play, as a lost
    // device (no end, nothing playing).
    void noSoundDeviceIsTold() {
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats, {true, true, -1}));
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        QSignalSpy lost(&player, &MediaComponent::deviceLost);
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::FileNotFound);  // nothing set yet
        player.setAutoStart(true);
        player.setFileName(path(QStringLiteral("tone1.mp3")));
        QVERIFY(lost.count() == 1 || lost.wait(2000));
        QVERIFY(lost.at(0).at(0).toString().startsWith(QStringLiteral("No sound device is available")));
        // The file itself is loaded; its length is reported.
        QVERIFY(length.count() == 1 || length.wait(1000));
        QVERIFY(std::abs(player.duration() - 1.0) < 0.05);
        QCOMPARE(player.state(), MediaComponent::State::Stopped);
        player.play();
        QVERIFY(lost.wait(2000));
        QCOMPARE(lost.count(), 2);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(player.state(), MediaComponent::State::Stopped);
    }
};

QTEST_MAIN(MediaEngineTest)
#include "media_engine_test.moc"
