#pragma once
// What the engine's tests share: generated tones, a device double and a
// source that fails part-way.
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
// test's own thread read, and in `readAnywhere` what any thread read.
class FailingSource final : public ByteSource {
public:
    FailingSource(const std::string& path, long long failAfter, std::atomic<long long>* readOnTestThread = nullptr,
                  std::atomic<long long>* readAnywhere = nullptr)
        : file_(path), failAfter_(failAfter), readByMaker_(readOnTestThread), readAnywhere_(readAnywhere) {}
    ssize_t read(void* buffer, size_t bytes) override {
        if (total_ >= failAfter_) return -1;
        ssize_t n = file_.read(buffer, bytes);
        if (n > 0) total_ += n;
        if (n > 0 && readByMaker_ && QThread::currentThread() == qApp->thread()) *readByMaker_ += n;
        if (n > 0 && readAnywhere_) *readAnywhere_ += n;
        return n;
    }
    off_t seek(off_t offset, int whence) override { return seekFails ? -1 : file_.seek(offset, whence); }
    bool seekFails = false;  // a stream that cannot be sought (a pipe, say)

private:
    FileSource file_;
    long long failAfter_;
    long long total_ = 0;
    std::atomic<long long>* readByMaker_;
    std::atomic<long long>* readAnywhere_;
};

using TrackEnd = PlaybackEngine::TrackEnd;

// A file's length in frames, as the decoder measures it.
int64_t LengthFrames(const std::string& file) {
    auto d = Decoder::OpenFile(file);
    return std::llround(d->measure() * d->rate());
}

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
// And as much behind the tail of a track that nothing follows.
constexpr int64_t kTrailing = 2200;

}  // namespace

// The files the tests play, made once per test program, and outputs over the
// device double.
class EngineFiles {
protected:
    QTemporaryDir dir_;
    QString tone1_, tone2_, lowRate_, mixed_;
    std::string path(const QString& name) const { return QFile::encodeName(dir_.filePath(name)).toStdString(); }

    PlaybackEngine::OutputFactory outputs(std::shared_ptr<FakeOutputStats> stats, FakeOutput::Options o = {}) {
        return [stats, o] { return std::unique_ptr<AudioOutput>(new FakeOutput(stats, o)); };
    }

    // Makes the files (a test program's initTestCase).
    void MakeFiles() {
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
};
