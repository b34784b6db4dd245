// What the user runs, measured whole: the player's own program (window,
// 60 ms timer, labels, control bar and sound) against mpg123 in the same run.
//   window_playback_cpu  CPU per second of steady playback of a 5-minute
//                        320 kbps stereo file, against `mpg123 -o pulse`;
//   idle_cpu             CPU per second of the window with nothing playing,
//                        against the least Qt window with a 60 ms timer
//                        (timer_window) running at the same time;
//   idle_cpu_audacious   the same idle window against Audacious showing its
//                        main window (its Qt interface, `audacious -Q`) with
//                        nothing playing, at the same time again, on the same
//                        X server and sound server, from a private home;
//   idle_floor           what a program that only wakes every 60 ms costs on
//                        this machine (wake_floor), at the same time again:
//                        the least any window with a 60 ms timer can idle at;
//   playing_*            what playing costs, each program alone beside the
//                        sound server, the same seconds (10 unless told) of
//                        the 320 kbps file:
//                        the player's wake-ups (voluntary switches of all its
//                        threads: times it was woken from sleep; schedstat's
//                        run count, which adds preemptions, is printed too),
//                        its CPU and the sound server's over the same time,
//                        for this player (window shown, minimized under a
//                        window manager, and with its equalizer on),
//                        `mpg123 -o pulse` and Audacious (its Qt interface);
//                        printed as a table too;
//   gap_between_files    silence heard at the sound server between the files
//                        of a three-file play-on, median and largest, against
//                        `mpg123 a.mp3 b.mp3 c.mp3` recorded the same way.
// The recorder (parec on the null sink's monitor) asks for a 20 ms latency:
// it hears sample-accurately where a recorder of the server's default latency
// loses audio at the start of each stream.
//
// usage: desktop_bench [runs] [seconds]   (beside a sound server and an X
// server: tests/with-pulse.sh tests/with-xvfb.sh desktop_bench, or
// tests/with-pipewire.sh in place of with-pulse.sh, the server then being
// its three daemons)
#include "bench_util.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Starts a program with its output discarded (or into `out`), in `dir`.
pid_t Start(const std::vector<std::string>& args, const std::string& dir, const std::string& out = "/dev/null") {
    pid_t pid = fork();
    if (pid == 0) {
        if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
        int sink = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int quiet = open("/dev/null", O_WRONLY);
        if (sink >= 0) dup2(sink, 1);
        if (quiet >= 0) dup2(quiet, 2);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Ends a program (SIGTERM) after `seconds`.
void StopAfter(pid_t pid, double seconds) {
    if (pid < 0) return;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

bool Lame(const std::string& raw, const std::string& mp3, const std::string& mode, const std::string& extra) {
    const std::string cmd = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m " + mode + " " + extra +
                            " '" + raw + "' '" + mp3 + "' 2>/dev/null";
    const bool ok = std::system(cmd.c_str()) == 0;
    ::unlink(raw.c_str());
    return ok;
}

// A mono sine of `seconds` at `hz`.
bool MakeTone(const std::string& mp3, double seconds, double hz) {
    const std::string raw = mp3 + ".raw";
    std::ofstream out(raw, std::ios::binary);
    for (long i = 0; i < std::lround(seconds * 44100); ++i) {
        const auto v = static_cast<int16_t>(std::lround(16000 * std::sin(2 * M_PI * hz * i / 44100.0)));
        out.write(reinterpret_cast<const char*>(&v), 2);
    }
    out.close();
    return Lame(raw, mp3, "m", "");
}

bool MakeLongStereo(const std::string& mp3) {
    const std::string raw = mp3 + ".raw";
    std::ofstream out(raw, std::ios::binary);
    std::vector<int16_t> buf(2 * 4410);
    for (int f = 0; f < 44100 * 300; f += 4410) {
        for (int i = 0; i < 4410; ++i) {
            const double t = static_cast<double>(f + i) / 44100;
            buf[2 * i] =
                static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440 * t) + 3000 * std::sin(2 * M_PI * 3520 * t));
            buf[2 * i + 1] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 554.37 * t));
        }
        out.write(reinterpret_cast<const char*>(buf.data()), static_cast<std::streamsize>(buf.size() * 2));
    }
    out.close();
    return Lame(raw, mp3, "s", "-b 320");
}

// CPU time a process has run, in nanoseconds: the sum over its threads
// (/proc/<pid>/task/*/schedstat), read while it runs.
double CpuNs(pid_t pid) {
    double total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (const dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            std::ifstream stat(tasks + "/" + e->d_name + "/schedstat");
            double ns = 0;
            if (stat >> ns) total += ns;
        }
        closedir(dir);
    }
    return total;
}

// Whether `program` is found on the PATH.
bool OnPath(const std::string& program) {
    return std::system(("command -v '" + program + "' >/dev/null 2>&1").c_str()) == 0;
}

// Steady CPU per second of programs running side by side (so that they
// share whatever else the machine is doing): from `warm` seconds after their
// start (Qt, fonts, the file's scan and the sound server's connection are
// left out) for `seconds`, read from their threads' run times; one figure per
// program, -1 for one that could not be measured (or ended meanwhile).
std::vector<double> SideBySideMsPerSecond(const std::vector<std::vector<std::string>>& programs, const std::string& dir,
                                          double seconds, double warm = 2.0) {
    std::vector<pid_t> pids;
    for (const auto& args : programs) pids.push_back(Start(args, dir));
    std::this_thread::sleep_for(std::chrono::duration<double>(warm));
    std::vector<double> before;
    for (pid_t pid : pids) before.push_back(pid > 0 ? CpuNs(pid) : 0);
    const double t0 = bench::NowMs();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    std::vector<double> result;
    const double t1 = bench::NowMs();
    std::vector<bool> ended;
    for (size_t i = 0; i < pids.size(); ++i) {
        // One that failed to start or ended early is no idle program.
        int status = 0;
        ended.push_back(pids[i] > 0 && waitpid(pids[i], &status, WNOHANG) == pids[i]);
        const double after = pids[i] > 0 && !ended[i] ? CpuNs(pids[i]) : 0;
        result.push_back(before[i] > 0 && after >= before[i] ? (after - before[i]) / 1e6 / ((t1 - t0) / 1000) : -1);
    }
    for (size_t i = 0; i < pids.size(); ++i)
        if (!ended[i]) StopAfter(pids[i], 0);
    return result;
}

double SteadyMsPerSecond(const std::vector<std::string>& args, const std::string& dir, double seconds) {
    return SideBySideMsPerSecond({args}, dir, seconds)[0];
}

// What a process's threads have used so far: CPU (ns), voluntary switches
// (each a wake-up from sleep) and scheduler runs (wake-ups and preemptions).
struct Counters {
    double ns = 0, voluntary = 0, runs = 0;
};
Counters Read(pid_t pid) {
    Counters c;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (const dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            const std::string task = tasks + "/" + e->d_name;
            std::ifstream stat(task + "/schedstat");
            double ns = 0, waited = 0, runs = 0;
            if (stat >> ns >> waited >> runs) {
                c.ns += ns;
                c.runs += runs;
            }
            std::ifstream status(task + "/status");
            std::string key;
            double value = 0;
            while (status >> key) {
                if (key == "voluntary_ctxt_switches:" && status >> value) c.voluntary += value;
            }
        }
        closedir(dir);
    }
    return c;
}

// The private sound server's daemons: with-pulse.sh's PulseAudio, or
// with-pipewire.sh's pipewire, wireplumber and PulseAudio server.
std::vector<pid_t> ServerPids() {
    std::vector<pid_t> pids;
    pid_t pid = -1;
    if (const char* pipewire = getenv("PIPEWIRE_RUNTIME_DIR")) {
        std::ifstream list(std::string(pipewire) + "/pids");
        while (list >> pid) pids.push_back(pid);
    } else if (const char* runtime = getenv("PULSE_RUNTIME_PATH")) {
        if (std::ifstream(std::string(runtime) + "/pid") >> pid) pids.push_back(pid);
    }
    return pids;
}

Counters ReadAll(const std::vector<pid_t>& pids) {
    Counters sum;
    for (pid_t pid : pids) {
        const Counters c = Read(pid);
        sum.ns += c.ns;
        sum.voluntary += c.voluntary;
        sum.runs += c.runs;
    }
    return sum;
}

struct PlayingCost {
    double wakeups = -1, runs = -1, playerMs = -1, serverMs = -1;
    double sum() const { return playerMs < 0 || serverMs < 0 ? -1 : playerMs + serverMs; }
};

// Starts `args` (which plays the long file), lets it settle, runs `then` on
// it (minimize its window, say), and measures it and the sound server for
// `seconds`.
PlayingCost MeasurePlaying(const std::vector<std::string>& args, const std::string& dir, double seconds,
                           const std::string& then = "") {
    const std::vector<pid_t> server = ServerPids();
    const pid_t pid = Start(args, dir);
    std::this_thread::sleep_for(std::chrono::seconds(4));
    if (!then.empty()) {
        std::system((then + " " + std::to_string(pid) + " >/dev/null 2>&1").c_str());
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    const Counters p0 = Read(pid), s0 = ReadAll(server);
    const double t0 = bench::NowMs();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const Counters p1 = Read(pid), s1 = ReadAll(server);
    const double secs = (bench::NowMs() - t0) / 1000;
    PlayingCost cost;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, WNOHANG) == 0 && p0.ns > 0) {
        cost.playerMs = (p1.ns - p0.ns) / 1e6 / secs;
        cost.wakeups = (p1.voluntary - p0.voluntary) / secs;
        cost.runs = (p1.runs - p0.runs) / secs;
        if (!server.empty()) cost.serverMs = (s1.ns - s0.ns) / 1e6 / secs;
    }
    StopAfter(pid, 0);
    return cost;
}

PlayingCost Medians(const std::vector<PlayingCost>& runs) {
    std::vector<double> w, r, p, s;
    for (const PlayingCost& c : runs) {
        if (c.playerMs < 0) continue;
        w.push_back(c.wakeups);
        r.push_back(c.runs);
        p.push_back(c.playerMs);
        s.push_back(c.serverMs);
    }
    if (p.empty()) return {};
    return {bench::Median(w), bench::Median(r), bench::Median(p), bench::Median(s)};
}

// Gaps between sounds in a recording (mono s16 at 44.1 kHz): runs of at
// least 10 quiet samples between the first and the last loud one, in ms.
std::vector<double> Gaps(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    const int quiet = 1000;
    size_t first = 0, last = samples.size();
    while (first < samples.size() && std::abs(int(samples[first])) <= quiet) ++first;
    while (last > first && std::abs(int(samples[last - 1])) <= quiet) --last;
    std::vector<double> gaps;
    size_t run = 0;
    for (size_t i = first; i < last; ++i) {
        if (std::abs(int(samples[i])) <= quiet) {
            ++run;
            continue;
        }
        if (run >= 10) gaps.push_back(run * 1000.0 / 44100);
        run = 0;
    }
    return gaps;
}

// Records the sink's monitor while `args` play three 2 s files; the two gaps
// between them in ms (0 where no silence was heard), or empty on failure.
std::vector<double> GapsOf(const std::vector<std::string>& args, const std::string& dir, double seconds) {
    const char* sinkEnv = getenv("CORVALLE_TEST_SINK");
    const std::string sink = std::string(sinkEnv ? sinkEnv : "corvalle_null") + ".monitor";
    const std::string rec = dir + "/rec.raw";
    const pid_t recorder = Start(
        {"parec", "-d", sink, "--format=s16le", "--rate=44100", "--channels=1", "--raw", "--latency-msec=20"}, "", rec);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    StopAfter(Start(args, dir), seconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    StopAfter(recorder, 0);
    std::vector<double> gaps = Gaps(rec);
    // The two joins; a join without any silence has a gap of 0.
    std::sort(gaps.rbegin(), gaps.rend());
    gaps.resize(2, 0.0);
    return gaps;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const double seconds = argc > 2 ? std::max(2.0, std::atof(argv[2])) : 10.0;
    const std::string player = CORVALLE_PLAYER;
    unsetenv("DBUS_SESSION_BUS_ADDRESS");  // one window per run, no hand-over

    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    const std::string longFile = dir + "/five-minutes.mp3";
    std::vector<std::string> tones;
    bool ok = MakeLongStereo(longFile);
    for (int k = 0; k < 3 && ok; ++k) {
        tones.push_back(dir + "/t" + std::to_string(k) + ".mp3");
        ok = MakeTone(tones.back(), 2.0, 440 + 220 * k);
    }
    if (!ok) {
        std::fprintf(stderr, "desktop_bench: lame failed\n");
        return 1;
    }
    // The player keeps its playlist in its current folder: an empty one.
    std::ofstream(dir + "/FileListing.dat").close();

    // Audacious from a home of its own (kept over the runs: its first start
    // scans its plugins), showing its main window with nothing to play. Its
    // Qt interface: a Qt Widgets window like ours.
    const bool haveAudacious = OnPath("audacious");
    if (!haveAudacious)
        std::fprintf(stderr, "desktop_bench: audacious is not installed: its idle reference is missing\n");
    const std::string home = dir + "/audacious-home";
    const std::vector<std::string> audacious{"env",
                                             "HOME=" + home,
                                             "XDG_CONFIG_HOME=" + home + "/config",
                                             "XDG_DATA_HOME=" + home + "/data",
                                             "XDG_CACHE_HOME=" + home + "/cache",
                                             "audacious",
                                             "-Q"};

    // Minimizing needs a window manager: Openbox, where it is installed.
    const bool haveWm = OnPath("openbox") && OnPath("xdotool");
    pid_t wm = -1;
    if (haveWm) {
        wm = Start({"openbox", "--sm-disable"}, dir);
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    const std::string minimize =
        "sh -c 'xdotool windowminimize $(timeout 10 xdotool search --sync --onlyvisible --pid \"$0\" | head -n 1)'";
    // The player with its equalizer on, every band away from 0 dB: a
    // configuration of its own.
    const std::string eqConfig = dir + "/equalizer-config";
    QDir().mkpath(QString::fromStdString(eqConfig + "/corvalle-mp3-player"));
    std::ofstream(eqConfig + "/corvalle-mp3-player/preferences.conf")
        << "[equalizer]\nenabled=true\npreamp_db=0\nbands_db=4,3,2,1,-1,-2,1,2,3,4\n";
    std::vector<PlayingCost> oursPlaying, oursMinimized, oursEqualized, mpg123Playing, audaciousPlaying;
    for (int i = 0; i < runs && ok; ++i) {
        oursPlaying.push_back(MeasurePlaying({player, longFile}, dir, seconds));
        oursEqualized.push_back(MeasurePlaying({"env", "XDG_CONFIG_HOME=" + eqConfig, player, longFile}, dir, seconds));
        if (haveWm) oursMinimized.push_back(MeasurePlaying({player, longFile}, dir, seconds, minimize));
        mpg123Playing.push_back(MeasurePlaying({"mpg123", "-q", "-o", "pulse", longFile}, dir, seconds));
        if (haveAudacious) {
            std::vector<std::string> playing = audacious;
            playing.push_back(longFile);
            audaciousPlaying.push_back(MeasurePlaying(playing, dir, seconds));
        }
    }
    if (wm > 0) StopAfter(wm, 0);

    std::vector<double> window, mpg123, idle, timerWindow, floor, idleRef, audaciousIdle, gapsOurs, gapsRef;
    for (int i = 0; i < runs; ++i) {
        window.push_back(SteadyMsPerSecond({player, longFile}, dir, seconds));
        mpg123.push_back(SteadyMsPerSecond({"mpg123", "-q", "-o", "pulse", longFile}, dir, seconds));
        // All idle at the same time, measured after a few seconds to settle.
        std::vector<std::vector<std::string>> idlers{{player}, {TIMER_WINDOW}, {WAKE_FLOOR}};
        if (haveAudacious) idlers.push_back(audacious);
        const std::vector<double> idleNow = SideBySideMsPerSecond(idlers, dir, seconds, 4.0);
        idle.push_back(idleNow[0]);
        timerWindow.push_back(idleNow[1]);
        floor.push_back(idleNow[2]);
        if (haveAudacious && idleNow[0] >= 0 && idleNow[3] >= 0) {
            idleRef.push_back(idleNow[0]);
            audaciousIdle.push_back(idleNow[3]);
        }
        for (double g : GapsOf({player, tones[0], tones[1], tones[2]}, dir, 8.5)) gapsOurs.push_back(g);
        for (double g : GapsOf({"mpg123", "-q", "-o", "pulse", tones[0], tones[1], tones[2]}, dir, 7.5))
            gapsRef.push_back(g);
    }
    const double w = bench::Median(window), m = bench::Median(mpg123), id = bench::Median(idle),
                 fl = bench::Median(timerWindow), wf = bench::Median(floor);
    std::printf("window_playback_cpu  ours_ms_per_s=%.2f  mpg123_ms_per_s=%.2f  ratio=%.2f  runs=%d\n", w, m,
                m > 0 ? w / m : 0.0, runs);
    std::printf("idle_cpu  ours_ms_per_s=%.2f  timer_window_ms_per_s=%.2f  ratio=%.2f\n", id, fl,
                fl > 0 ? id / fl : 0.0);
    if (!audaciousIdle.empty()) {
        const double o = bench::Median(idleRef), a = bench::Median(audaciousIdle);
        std::printf("idle_cpu_audacious  ours_ms_per_s=%.2f  audacious_ms_per_s=%.2f  ratio=%.2f  runs=%zu\n", o, a,
                    a > 0 ? o / a : 0.0, audaciousIdle.size());
    } else {
        std::printf("idle_cpu_audacious  ours_ms_per_s=%.2f  audacious_ms_per_s=-  ratio=-\n", id);
    }
    std::printf("idle_floor  wake_floor_ms_per_s=%.2f  target_ms_per_s=0.50  ratio=%.2f\n", wf, wf / 0.5);
    const PlayingCost ours = Medians(oursPlaying), ref = Medians(mpg123Playing), aud = Medians(audaciousPlaying),
                      hidden = Medians(oursMinimized), equalized = Medians(oursEqualized);
    std::printf("playing_wakeups  ours_per_s=%.1f  mpg123_per_s=%.1f  ratio=%.2f  target_per_s=10\n", ours.wakeups,
                ref.wakeups, ref.wakeups > 0 ? ours.wakeups / ref.wakeups : 0.0);
    std::printf("minimized_wakeups  ours_per_s=%.1f  target_per_s=4  ratio=%.2f\n", hidden.wakeups,
                hidden.wakeups >= 0 ? hidden.wakeups / 4 : 0.0);
    std::printf("playing_cpu_with_server  ours_ms_per_s=%.2f  mpg123_ms_per_s=%.2f  ratio=%.2f  target_ratio=0.50\n",
                ours.sum(), ref.sum(), ref.sum() > 0 ? ours.sum() / ref.sum() : 0.0);
    std::printf(
        "playing_cpu_with_server_equalized  ours_ms_per_s=%.2f  mpg123_ms_per_s=%.2f  ratio=%.2f  target_ratio=0.50\n",
        equalized.sum(), ref.sum(), ref.sum() > 0 ? equalized.sum() / ref.sum() : 0.0);
    std::printf(
        "| playing (medians of %d) | wake-ups/s | runs/s | player ms/s | sound server ms/s | player + server ms/s |\n",
        runs);
    std::printf("|---|---|---|---|---|---|\n");
    auto row = [](const char* name, const PlayingCost& c) {
        if (c.playerMs < 0) {
            std::printf("| %s | - | - | - | - | - |\n", name);
            return;
        }
        std::printf("| %s | %.1f | %.1f | %.2f | %.2f | %.2f |\n", name, c.wakeups, c.runs, c.playerMs, c.serverMs,
                    c.sum());
    };
    row("this player", ours);
    row("this player, minimized", hidden);
    row("this player, equalizer on", equalized);
    row("`mpg123 -o pulse`", ref);
    row("Audacious", aud);

    const double go = bench::Median(gapsOurs), gr = bench::Median(gapsRef);
    std::printf("gap_between_files  ours_ms=%.1f(max_%.1f)  mpg123_ms=%.1f(max_%.1f)  ratio=-\n", go,
                *std::max_element(gapsOurs.begin(), gapsOurs.end()), gr,
                *std::max_element(gapsRef.begin(), gapsRef.end()));
    return 0;
}
