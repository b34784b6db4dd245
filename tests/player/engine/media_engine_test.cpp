// The engine and the component against a device double: broken and hostile
// media, a source that fails part-way, a device that fails, a format change,
// pause/seek/stop and the clean-up of threads and devices. Needs no sound
// server.
#include "common/app_error.h"
#include "engine/decoder.h"
#include "engine/playback_engine.h"
#include "fake_output.h"
#include "media/media_player.h"
#include "test_support.h"
#include "window/media_player_bar.h"

#include <fcntl.h>
#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <random>

#include <unistd.h>

namespace {

// Waits until the thread count is back to `baseline`: threads exit a moment
// after they were told to, and a joined thread may still be listed in /proc
// for a moment after its join.
bool ThreadsBackTo(int baseline) {
    return QTest::qWaitFor([&] { return testsupport::ThreadCount() <= baseline; }, 5000);
}

// A file whose reads fail once `failAfter` bytes were read in all (over
// every pass of one decoder). It counts in `readOnTestThread` what the
// test's own thread read.
class FailingSource final : public ByteSource {
public:
    FailingSource(const std::string& path, long long failAfter, std::atomic<long long>* readOnTestThread = nullptr)
        : file_(path), failAfter_(failAfter), readByMaker_(readOnTestThread) {}
    ssize_t read(void* buffer, size_t bytes) override {
        if (total_ >= failAfter_) return -1;
        ssize_t n = file_.read(buffer, bytes);
        if (n > 0) total_ += n;
        if (n > 0 && readByMaker_ && QThread::currentThread() == qApp->thread()) *readByMaker_ += n;
        return n;
    }
    off_t seek(off_t offset, int whence) override { return file_.seek(offset, whence); }

private:
    FileSource file_;
    long long failAfter_;
    long long total_ = 0;
    std::atomic<long long>* readByMaker_;
};

using TrackEnd = PlaybackEngine::TrackEnd;

// The ends an engine told, in order.
struct EndLog {
    std::mutex mutex;
    std::vector<uint64_t> ids;
    std::vector<TrackEnd> ends;
    size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return ids.size();
    }
    TrackEnd end(size_t i) {
        std::lock_guard<std::mutex> lock(mutex);
        return ends.at(i);
    }
};

PlaybackEngine::EndedCallback Record(std::shared_ptr<EndLog> log) {
    return [log](uint64_t id, const TrackEnd& end) {
        std::lock_guard<std::mutex> lock(log->mutex);
        log->ids.push_back(id);
        log->ends.push_back(end);
    };
}

// 50 ms of silence at 44.1 kHz, written in front of the file into a freshly
// opened device.
constexpr int64_t kLeadIn = 2200;

}  // namespace

class MediaEngineTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString tone1_, tone2_, lowRate_, mixed_;
    std::string path(const QString& name) const { return QFile::encodeName(dir_.filePath(name)).toStdString(); }

    PlaybackEngine::OutputFactory outputs(std::shared_ptr<FakeOutputStats> stats, FakeOutput::Options o = {}) {
        return [stats, o] { return std::unique_ptr<AudioOutput>(new FakeOutput(stats, o)); };
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        if (!testsupport::HaveProgram(QStringLiteral("lame"))) QSKIP("lame is not installed");
        tone1_ = dir_.filePath(QStringLiteral("tone1.mp3"));
        tone2_ = dir_.filePath(QStringLiteral("tone2.mp3"));
        lowRate_ = dir_.filePath(QStringLiteral("low.mp3"));
        QVERIFY(testsupport::GenerateMp3(tone1_, 1.0, 440));
        QVERIFY(testsupport::GenerateMp3(tone2_, 2.0, 440));
        QVERIFY(testsupport::GenerateMp3(lowRate_, 1.0, 440, {}, 22050));
        // A stream whose sample rate changes half-way.
        mixed_ = dir_.filePath(QStringLiteral("mixed.mp3"));
        QVERIFY(testsupport::WriteBytes(mixed_, testsupport::ReadBytes(tone1_) + testsupport::ReadBytes(lowRate_)));
    }

    // ---- opening -------------------------------------------------------------

    void decoderFindsExactLength() {
        auto d = Decoder::OpenFile(QFile::encodeName(tone2_).toStdString());
        QCOMPARE(d->rate(), 44100);
        QCOMPARE(d->channels(), 1);
        QVERIFY2(std::abs(d->duration() - 2.0) < 0.05, qPrintable(QString::number(d->duration())));
        // Decoding yields that many frames, no more (gapless trim of the
        // encoder's delay and padding).
        std::vector<int16_t> buf(4096);
        size_t frames = 0, total = 0;
        while (d->read(buf.data(), buf.size(), frames) == Decoder::Status::Data) total += frames;
        QVERIFY(!d->failed());
        QCOMPARE(static_cast<int64_t>(total), d->lengthFrames());
        // A stream whose rate changes part-way: 1 s at 44.1 kHz and 1 s at
        // 22.05 kHz last 2 s (with each part's encoder delay and padding),
        // not 1.5 s counted at the first rate.
        auto m = Decoder::OpenFile(QFile::encodeName(mixed_).toStdString());
        QVERIFY2(m->duration() > 2.0 && m->duration() < 2.15, qPrintable(QString::number(m->duration())));
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

    void lengthIsMeasuredOffTheCallersThread() {
        // Loading opens the file and reads its first frames; the scan of the
        // whole file (long for an hour of audio) runs on a thread of its own,
        // and its length comes with the measured callback.
        const QString longFile = dir_.filePath(QStringLiteral("thirty.mp3"));
        QVERIFY(testsupport::GenerateMp3(longFile, 30.0, 440));
        const std::string p = QFile::encodeName(longFile).toStdString();
        const long long size = static_cast<long long>(testsupport::ReadBytes(longFile).size());
        std::atomic<long long> readHere{0};
        std::atomic<int> told{0};
        auto stats = std::make_shared<FakeOutputStats>();
        PlaybackEngine engine(outputs(stats), [](uint64_t, const TrackEnd&) {});
        engine.setMeasuredCallback([&told](uint64_t) { ++told; });
        engine.load([p, &readHere] {
            return std::make_unique<Decoder>(std::make_unique<FailingSource>(p, 1LL << 40, &readHere));
        });
        QVERIFY(QTest::qWaitFor([&] { return told.load() == 1; }, 10000));
        QVERIFY2(readHere.load() < size / 4,
                 qPrintable(QStringLiteral("%1 of %2 bytes").arg(readHere.load()).arg(size)));
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
        QVERIFY(stats->frames > 2205 && stats->frames < 2205 + 4410);  // a lead of silence, then the file
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
            QCOMPARE(end.framesPlayed, stats->frames.load() - kLeadIn);
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
        // The lead-ins, the first file and the second whole, and the third
        // from half a second on.
        const long long expected =
            2200 + 1100 + Decoder::OpenFile(one)->lengthFrames() + Decoder::OpenFile(low)->lengthFrames() * 2 - 11025;
        QVERIFY2(std::abs(stats->frames - expected) < 1500,
                 qPrintable(QStringLiteral("%1 of %2").arg(stats->frames).arg(expected)));
        // Each track counts what of it was written: the first two whole, the
        // third from the point it was sought to.
        for (size_t i = 0; i < 3; ++i) QCOMPARE(log->end(i).cause, TrackEnd::Cause::Finished);
        QCOMPARE(log->end(0).framesPlayed, Decoder::OpenFile(one)->lengthFrames());
        QCOMPARE(log->end(1).framesPlayed, Decoder::OpenFile(low)->lengthFrames());
        const int64_t third = log->end(2).framesPlayed, fromHalf = Decoder::OpenFile(low)->lengthFrames() - 11025;
        QVERIFY2(std::abs(third - fromHalf) < 1500, qPrintable(QStringLiteral("%1 of %2").arg(third).arg(fromHalf)));
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
            QVERIFY(log->end(0).framesPlayed >= Decoder::OpenFile(name)->lengthFrames());
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
        QVERIFY(!player.isPlaying());
        QCOMPARE(stats->openCount.load(), 0);
        const double kept = player.currentPosition();
        QVERIFY2(kept >= 0.3 && kept < 1.2, qPrintable(QString::number(kept)));
        stats->gone = false;
        const long long before = stats->frames;
        player.setFileName(path(QStringLiteral("tone2.mp3")));
        player.play();
        QVERIFY(player.isPlaying());
        QVERIFY(player.currentPosition() >= kept - 0.01);
        QVERIFY(ended.wait(5000));
        QCOMPARE(lost.count(), 1);
        // Written after the resume: the lead-in and the rest from `kept`.
        const long long rest = Decoder::OpenFile(path(QStringLiteral("tone2.mp3")))->lengthFrames() -
                               static_cast<long long>(kept * 44100) + kLeadIn;
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

    void noSoundDeviceIsAnError() {
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats, {true, true, -1}));
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::FileNotFound);  // nothing set yet
        player.setAutoStart(true);
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.setFileName(path(QStringLiteral("tone1.mp3"))); }),
                 ErrNo::NoSoundDevice);
        // The file itself is loaded; its length is reported.
        QVERIFY(length.wait(1000));
        QVERIFY(std::abs(player.duration() - 1.0) < 0.05);
        QCOMPARE(testsupport::ErrorNumberOf([&] { player.play(); }), ErrNo::NoSoundDevice);
        QVERIFY(!player.isPlaying());
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
        QCOMPARE(log->end(0).framesPlayed, Decoder::OpenFile(one)->lengthFrames());
    }

    void playOnJoinsInOneOpenDevice() {
        // Files of one format follow each other in the device that stays
        // open; the position is the ending file's until the next one begins
        // to be heard, and then the next one's from 0. Another format reopens
        // the device. A stop during a tail silences it at once.
        auto stats = std::make_shared<FakeOutputStats>();
        MediaPlayer player(outputs(stats));
        QSignalSpy ended(&player, &MediaComponent::endReached);
        QSignalSpy length(&player, &MediaComponent::lengthKnown);
        const QStringList files{QStringLiteral("tone1.mp3"), QStringLiteral("tone1.mp3"), QStringLiteral("low.mp3")};
        int next = 1;
        double before = 0;  // the position just before the second file's length came
        connect(&player, &MediaComponent::endReached, this, [&] {
            if (next < files.size()) player.setFileName(path(files[next++]));
        });
        player.setAutoStart(true);
        player.setFileName(path(files[0]));
        QElapsedTimer clock;
        clock.start();
        while (ended.count() < 1 && clock.elapsed() < 5000) QTest::qWait(10);
        // The first file's tail: its position goes on to its end.
        double now = 0;
        while ((now = player.currentPosition()) >= before && clock.elapsed() < 5000) {
            before = now;
            QTest::qWait(5);
        }
        QVERIFY2(before > 0.9, qPrintable(QString::number(before)));
        QVERIFY2(now < 0.3, qPrintable(QString::number(now)));  // then the second from its start
        QVERIFY(length.count() >= 2);
        QVERIFY(ended.wait(5000));  // the second
        QVERIFY(QTest::qWaitFor([&] { return ended.count() == 3; }, 5000));
        {
            std::lock_guard<std::mutex> lock(stats->mutex);
            QCOMPARE(stats->opens, (std::vector<std::pair<int, int>>{{44100, 1}, {22050, 1}}));
        }
        // The three files whole, and a lead of 50 ms of silence in front of
        // each device opened.
        long long expected = 2200 + 1100;
        for (const QString& f : files) expected += Decoder::OpenFile(path(f))->lengthFrames();
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
        QVERIFY(player.isPaused());
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
        QVERIFY(player.isPlaying());
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
            while (stats->openCount.load() > 0 && deadline.elapsed() < 5000)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
        QVERIFY(player.isPlaying());
        QTest::qWait(300);
        QTest::mouseClick(playButton, Qt::LeftButton);
        QTest::qWait(50);
        QVERIFY(player.isPaused());
        // A click three quarters along the slider jumps there.
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
        QTest::qWait(50);
        QVERIFY2(std::abs(player.currentPosition() - 1.5) < 0.15,
                 qPrintable(QString::number(player.currentPosition())));
        QTest::qWait(150);
        QCOMPARE(readout->text(), QStringLiteral("00:01 / 00:02"));
        QTest::mouseClick(stopButton, Qt::LeftButton);
        QVERIFY(!player.isPlaying() && !player.isPaused());
        QCOMPARE(player.currentPosition(), 0.0);
        QCOMPARE(readout->text(), QStringLiteral("00:00 / 00:02"));
        QCOMPARE(slider->value(), 0);
    }
};

QTEST_MAIN(MediaEngineTest)
#include "media_engine_test.moc"
