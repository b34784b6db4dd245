// Playback cost: a 5-minute 320 kbps stereo MP3 played into the sound server
// for a fixed stretch, by our player and by `mpg123 -o pulse` on the same file.
// Both figures are steady-state: ours from 2 s into playback to the stop,
// mpg123's as the difference between a run of 2 s and one of 2 s + the stretch.
// Prints CPU time per second of audio for both (median of the runs), the
// ratio, and our peak resident set; then the same with the equalizer on (ten
// bands), and the equalizer's own cost per second of audio beside the
// decoding's, measured in this process on the same file (thread CPU time).
//
// usage: playback_bench [runs] [seconds-per-run]   (run beside a sound server,
// for example under tests/with-pulse.sh)
#include "bench_util.h"
#include "engine/decoder.h"
#include "engine/equalizer.h"
#include "media/media_player.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

EqualizerCurve TenBands() {
    EqualizerCurve eq;
    eq.enabled = true;
    eq.bandsDb = {5, 4, 2, 1, -1, 1, -1, 2, 4, 5};
    return eq;
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// CPU seconds to decode the whole file, with the equalizer after it or not,
// and the seconds of audio.
double DecodeCost(const std::string& file, bool equalized, double& audioSeconds) {
    auto decoder = Decoder::OpenFile(file);
    Equalizer eq;
    eq.setFormat(decoder->rate(), decoder->channels());
    if (equalized) eq.setCurve(TenBands());
    std::vector<int16_t> chunk(static_cast<size_t>(decoder->rate()) / 2 * 2);
    size_t frames = 0, total = 0;
    const double start = ThreadCpuSeconds();
    while (decoder->read(chunk.data(), chunk.size() / 2, frames) == Decoder::Status::Data) {
        eq.process(chunk.data(), frames);
        total += frames;
    }
    audioSeconds = static_cast<double>(total) / decoder->rate();
    return ThreadCpuSeconds() - start;
}

int Child(const char* file, double seconds) {
    int argc = 1;
    char name[] = "playback_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    MediaPlayer player;
    // Steady playback is measured: from 2 s after the start to the stop, so
    // that starting Qt, scanning the file and connecting to the sound server
    // are left out (the same is done for mpg123 by the difference of two runs).
    struct rusage before {};
    try {
        player.setComponentEnabled(true);
        if (getenv("CORVALLE_BENCH_EQUALIZER")) player.setEqualizer(TenBands());
        player.setFileName(file);
        player.setAutoStart(true);
        player.play();
    } catch (...) {
        return 3;
    }
    QTimer::singleShot(2000, &app, [&] { getrusage(RUSAGE_SELF, &before); });
    QTimer::singleShot(static_cast<int>((2 + seconds) * 1000), &app, [&] {
        player.stop();
        app.quit();
    });
    int rc = app.exec();
    struct rusage after {};
    getrusage(RUSAGE_SELF, &after);
    auto secs = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    double cpu = secs(after.ru_utime) - secs(before.ru_utime) + secs(after.ru_stime) - secs(before.ru_stime);
    if (FILE* f =
            std::fopen(getenv("CORVALLE_BENCH_CPU_FILE") ? getenv("CORVALLE_BENCH_CPU_FILE") : "/dev/null", "w")) {
        std::fprintf(f, "%.6f\n", cpu);
        std::fclose(f);
    }
    return rc;
}

bool MakeFile(const std::string& dir, std::string& mp3) {
    std::string raw = dir + "/in.raw";
    mp3 = dir + "/five-minutes.mp3";
    std::ofstream out(raw, std::ios::binary);
    const int rate = 44100, frames = rate * 300;
    std::vector<int16_t> buf(2 * 4410);
    for (int f = 0; f < frames; f += 4410) {
        for (int i = 0; i < 4410; ++i) {
            double t = static_cast<double>(f + i) / rate;
            buf[2 * i] =
                static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440 * t) + 3000 * std::sin(2 * M_PI * 3520 * t));
            buf[2 * i + 1] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 554.37 * t));
        }
        out.write(reinterpret_cast<const char*>(buf.data()), static_cast<std::streamsize>(buf.size() * 2));
    }
    out.close();
    std::string cmd =
        "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 320 '" + raw + "' '" + mp3 + "'";
    bool ok = std::system(cmd.c_str()) == 0;
    ::unlink(raw.c_str());
    return ok;
}

struct Cost {
    double cpuSeconds = -1;
    long maxRssKb = 0;
};

Cost RunChild(const std::vector<std::string>& args) {
    Cost cost;
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage ru {};
    if (pid < 0 || wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return cost;
    cost.cpuSeconds = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
    cost.maxRssKb = ru.ru_maxrss;
    return cost;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2], std::atof(argv[3]));
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    double seconds = argc > 2 ? std::max(2.0, std::atof(argv[2])) : 10.0;
    if (!getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QTemporaryDir dir;
    std::string mp3;
    if (!MakeFile(dir.path().toStdString(), mp3)) {
        std::fprintf(stderr, "playback_bench: lame failed\n");
        return 1;
    }
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 1;
    self[n] = 0;
    // 1152 samples per MPEG-1 layer III frame.
    std::string warmFrames = std::to_string(static_cast<long>(2 * 44100 / 1152));
    std::string frames = std::to_string(static_cast<long>((2 + seconds) * 44100 / 1152));
    for (bool equalized : {false, true}) {
        if (equalized) setenv("CORVALLE_BENCH_EQUALIZER", "1", 1);
        std::vector<double> ours, ref;
        long rss = 0;
        std::string cpuFile = dir.path().toStdString() + "/cpu";
        setenv("CORVALLE_BENCH_CPU_FILE", cpuFile.c_str(), 1);
        for (int i = 0; i < runs; ++i) {
            Cost a = RunChild({self, "--child", mp3, std::to_string(seconds)});
            if (a.cpuSeconds >= 0) {
                if (FILE* f = std::fopen(cpuFile.c_str(), "r")) {
                    double cpu = -1;
                    if (std::fscanf(f, "%lf", &cpu) == 1 && cpu >= 0) a.cpuSeconds = cpu;
                    std::fclose(f);
                }
            }
            Cost b = RunChild({"mpg123", "-q", "-o", "pulse", "-n", frames, mp3});
            Cost warm = RunChild({"mpg123", "-q", "-o", "pulse", "-n", warmFrames, mp3});
            if (b.cpuSeconds >= 0 && warm.cpuSeconds >= 0) b.cpuSeconds -= warm.cpuSeconds;
            if (a.cpuSeconds < 0) {
                std::fprintf(stderr, "playback_bench: our player failed\n");
                return 2;
            }
            ours.push_back(a.cpuSeconds / seconds);
            if (b.cpuSeconds >= 0) ref.push_back(b.cpuSeconds / seconds);
            rss = std::max(rss, a.maxRssKb);
        }
        double o = bench::Median(ours) * 1000, r = bench::Median(ref) * 1000;
        const char* which = equalized ? "_equalized" : "";
        std::printf("playback_cpu%s  ours_ms_per_s=%.2f  mpg123_ms_per_s=%.2f  ratio=%.2f  runs=%d\n", which, o, r,
                    r > 0 ? o / r : 0.0, runs);
        std::printf("playback_rss%s  ours_mb=%.1f  -  ratio=-\n", which, rss / 1024.0);
    }
    std::vector<double> plain, equalized;
    for (int i = 0; i < runs; ++i) {
        double audio = 0;
        plain.push_back(DecodeCost(mp3, false, audio) / audio);
        equalized.push_back(DecodeCost(mp3, true, audio) / audio);
    }
    const double d = bench::Median(plain) * 1000, e = bench::Median(equalized) * 1000;
    std::printf("equalizer_cpu  decode_ms_per_s=%.3f  with_equalizer_ms_per_s=%.3f  equalizer_ms_per_s=%.3f\n", d, e,
                e - d);
    return 0;
}
