#pragma once
// Records the monitor of the test sink with parec (16-bit, 44.1 kHz, the
// mean of the two channels) and maps samples to the steady clock, plus a few
// measures of a recording. It records both channels and mixes them itself:
// servers mix down to mono differently (PulseAudio takes the mean, PipeWire
// keeps the power, 3 dB louder for the same sound on both).
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>
#include <cmath>
#include <cstdint>
#include <vector>

class AudioCapture {
public:
    static constexpr int kRate = 44100;

    static QString Sink() {
        QByteArray s = qgetenv("CORVALLE_TEST_SINK");
        return s.isEmpty() ? QStringLiteral("corvalle_null") : QString::fromLocal8Bit(s);
    }

    // Records with the given latency: a short one maps samples to the clock
    // closely, but a recorder that asks for one also shrinks the sink's
    // buffer, so what is heard is best measured with an ordinary one. What
    // `sink` plays is recorded (the test server's own by default).
    explicit AudioCapture(int latencyMs = 20, QString sink = Sink()) : latencyMs_(latencyMs), sink_(std::move(sink)) {}
    ~AudioCapture() {
        QObject::disconnect(&proc_, nullptr, nullptr, nullptr);
        stop();
    }

    // Starts recording; `clock` is the test's clock the samples are mapped to.
    bool start(const QElapsedTimer& clock) {
        clock_ = &clock;
        QObject::connect(&proc_, &QProcess::readyReadStandardOutput, [this] { take(); });
        proc_.start(QStringLiteral("parec"),
                    {QStringLiteral("-d"), sink_ + QStringLiteral(".monitor"), QStringLiteral("--format=s16le"),
                     QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"), QStringLiteral("--raw"),
                     QStringLiteral("--latency-msec=") + QString::number(latencyMs_)});
        if (!proc_.waitForStarted(5000)) return false;
        // Wait for the first data, so the stream runs before playback starts.
        for (int i = 0; i < 200 && samples_.empty(); ++i) QTest::qWait(10);
        return !samples_.empty();
    }

    void stop() {
        if (proc_.state() == QProcess::NotRunning) return;
        take();
        proc_.terminate();
        proc_.waitForFinished(3000);
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished(3000);
        }
    }

    const std::vector<int16_t>& samples() const { return samples_; }
    // Clock time (ms) of sample `i`.
    double timeOf(size_t i) const { return originMs_ + 1000.0 * static_cast<double>(i) / kRate; }
    size_t indexAt(double ms) const {
        double i = (ms - originMs_) * kRate / 1000.0;
        if (i <= 0) return 0;
        return std::min(samples_.size(), static_cast<size_t>(i));
    }

    // RMS of [from, to).
    double rms(size_t from, size_t to) const {
        to = std::min(to, samples_.size());
        if (from >= to) return 0;
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples_[i]) * samples_[i];
        return std::sqrt(sum / static_cast<double>(to - from));
    }
    int peak(size_t from, size_t to) const {
        int p = 0;
        for (size_t i = from; i < std::min(to, samples_.size()); ++i) p = std::max(p, std::abs(int(samples_[i])));
        return p;
    }
    // Loud 10 ms windows: [first, last] sample range, or first > last if none.
    std::pair<size_t, size_t> loudRange(double threshold = 2000) const {
        const size_t w = kRate / 100;
        size_t first = 1, last = 0;
        bool any = false;
        for (size_t s = 0; s + w <= samples_.size(); s += w) {
            if (rms(s, s + w) > threshold) {
                if (!any) first = s;
                any = true;
                last = s + w;
            }
        }
        return {first, last};
    }
    // The first and the last sample louder than `threshold`; first > last
    // when there is none.
    std::pair<size_t, size_t> soundRange(int threshold) const {
        size_t first = 1, last = 0;
        for (size_t i = 0; i < samples_.size(); ++i) {
            if (std::abs(int(samples_[i])) <= threshold) continue;
            if (first > last) first = i;
            last = i;
        }
        return {first, last};
    }
    // The longest run of samples no louder than `threshold` in [from, to);
    // where it ends in `at`.
    size_t longestQuiet(size_t from, size_t to, int threshold, size_t* at = nullptr) const {
        size_t longest = 0, run = 0;
        for (size_t i = from; i < std::min(to, samples_.size()); ++i) {
            run = std::abs(int(samples_[i])) <= threshold ? run + 1 : 0;
            if (run > longest && at) *at = i + 1;
            longest = std::max(longest, run);
        }
        return longest;
    }
    // The half-cycles of a tone in [from, to): where each begins (a sign
    // change) and its peak.
    struct HalfCycle {
        size_t start;
        int peak;
    };
    std::vector<HalfCycle> halfCycles(size_t from, size_t to) const { return HalfCyclesOf(samples_, from, to); }
    static std::vector<HalfCycle> HalfCyclesOf(const std::vector<int16_t>& samples, size_t from, size_t to) {
        std::vector<HalfCycle> out;
        to = std::min(to, samples.size());
        for (size_t i = from + 1; i < to; ++i) {
            if ((samples[i - 1] < 0) != (samples[i] < 0)) out.push_back({i, 0});
            if (!out.empty()) out.back().peak = std::max(out.back().peak, std::abs(int(samples[i])));
        }
        return out;
    }

    // Sign changes per second in [from, to).
    double crossingsPerSecond(size_t from, size_t to) const {
        to = std::min(to, samples_.size());
        if (to <= from + 1) return 0;
        int n = 0;
        for (size_t i = from + 1; i < to; ++i)
            if ((samples_[i - 1] < 0) != (samples_[i] < 0)) ++n;
        return n * static_cast<double>(kRate) / static_cast<double>(to - from);
    }

private:
    void take() {
        QByteArray data = proc_.readAllStandardOutput();
        pending_.append(data);
        const qsizetype frames = pending_.size() / 4;
        if (frames == 0) return;
        if (samples_.empty()) {
            // The first block ends now: it began its length ago.
            originMs_ = static_cast<double>(clock_->elapsed()) - 1000.0 * static_cast<double>(frames) / kRate;
        }
        const auto* p = reinterpret_cast<const int16_t*>(pending_.constData());
        for (qsizetype i = 0; i < frames; ++i)
            samples_.push_back(static_cast<int16_t>((int(p[2 * i]) + int(p[2 * i + 1])) / 2));
        pending_.remove(0, frames * 4);
    }

    QProcess proc_;
    const QElapsedTimer* clock_ = nullptr;
    QByteArray pending_;
    std::vector<int16_t> samples_;
    double originMs_ = 0;
    int latencyMs_ = 20;
    QString sink_;
};
