#include "test_support.h"

#include "common/app_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace testsupport {

namespace {
const QStringList kRawInput{QStringLiteral("-r"),       QStringLiteral("--bitwidth"),      QStringLiteral("16"),
                            QStringLiteral("--signed"), QStringLiteral("--little-endian"), QStringLiteral("-m"),
                            QStringLiteral("m")};
}  // namespace

bool GenerateMp3(const QString& path, double seconds, double frequencyHz, const QStringList& lameArgs, int sampleRate,
                 double amplitude) {
    const int frames = static_cast<int>(std::lround(seconds * sampleRate));
    std::vector<int16_t> pcm(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        double v = frequencyHz > 0 ? amplitude * std::sin(2.0 * M_PI * frequencyHz * i / sampleRate) : 0.0;
        pcm[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
    QStringList args =
        QStringList{QStringLiteral("--quiet"), QStringLiteral("-s"), QString::number(sampleRate / 1000.0)} + kRawInput;
    args << lameArgs << QStringLiteral("-") << path;
    QProcess lame;
    lame.start(QStringLiteral("lame"), args);
    if (!lame.waitForStarted(10000)) return false;
    lame.write(reinterpret_cast<const char*>(pcm.data()), static_cast<qint64>(pcm.size() * sizeof(int16_t)));
    lame.closeWriteChannel();
    if (!lame.waitForFinished(60000)) return false;
    return lame.exitStatus() == QProcess::NormalExit && lame.exitCode() == 0 && QFile::exists(path);
}

bool GenerateNoGapMp3s(const QStringList& paths, const std::vector<double>& cuts, double frequencyHz) {
    if (cuts.size() != static_cast<size_t>(paths.size()) + 1) return false;
    QStringList inputs;
    for (int k = 0; k < paths.size(); ++k) {
        const long from = std::lround(cuts[k] * 44100), to = std::lround(cuts[k + 1] * 44100);
        std::string pcm;
        for (long i = from; i < to; ++i) {
            const auto v =
                static_cast<int16_t>(std::lround(0.5 * 32767.0 * std::sin(2.0 * M_PI * frequencyHz * i / 44100)));
            pcm.append(reinterpret_cast<const char*>(&v), sizeof v);
        }
        // lame names each output after its input, with ".mp3" for the ending.
        QString raw = paths[k];
        raw.replace(QRegularExpression(QStringLiteral("\\.mp3$")), QStringLiteral(".raw"));
        if (raw == paths[k] || !WriteBytes(raw, pcm)) return false;
        inputs << raw;
    }
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               QStringList{QStringLiteral("--quiet"), QStringLiteral("-s"), QStringLiteral("44.1")} + kRawInput +
                   QStringList{QStringLiteral("--nogaptags"), QStringLiteral("--nogap")} + inputs);
    if (!lame.waitForFinished(60000) || lame.exitStatus() != QProcess::NormalExit || lame.exitCode() != 0) return false;
    for (const QString& p : paths)
        if (!QFile::exists(p)) return false;
    return true;
}

bool WriteBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::string ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

ScopedCurrentDir::ScopedCurrentDir(const QString& dir) : previous_(QDir::currentPath()) { QDir::setCurrent(dir); }
ScopedCurrentDir::~ScopedCurrentDir() { QDir::setCurrent(previous_); }

namespace {
const char* const kLocaleVariables[3] = {"LC_ALL", "LC_CTYPE", "LANG"};
}

ScopedLocale::ScopedLocale(const char* lang) {
    for (int i = 0; i < 3; ++i) {
        was_[i] = qEnvironmentVariableIsSet(kLocaleVariables[i]);
        saved_[i] = qgetenv(kLocaleVariables[i]);
        qunsetenv(kLocaleVariables[i]);
    }
    if (lang) qputenv("LANG", lang);
}

ScopedLocale::~ScopedLocale() {
    for (int i = 0; i < 3; ++i) {
        if (was_[i])
            qputenv(kLocaleVariables[i], saved_[i]);
        else
            qunsetenv(kLocaleVariables[i]);
    }
}

ScopedPaths::~ScopedPaths() {
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) std::remove(it->c_str());
}

std::string ScopedPaths::add(std::string path) {
    paths_.push_back(path);
    return path;
}

bool HaveProgram(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

PrivateBus::~PrivateBus() {
    if (pid_ > 0) ::kill(static_cast<pid_t>(pid_), SIGTERM);
}

bool PrivateBus::Start() {
    if (!dir_.isValid() || !QDir(dir_.path()).mkpath(QStringLiteral("services"))) return false;
    const QString config = dir_.filePath(QStringLiteral("bus.conf"));
    const std::string text =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
        "<servicedir>" +
        QFile::encodeName(dir_.filePath(QStringLiteral("services"))).toStdString() +
        "</servicedir><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
        "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    if (!WriteBytes(config, text)) return false;
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--config-file=") + config, "--fork", "--print-address=1", "--print-pid=1"});
    if (!daemon.waitForFinished(10000)) return false;
    const QStringList lines = QString::fromLocal8Bit(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    if (lines.size() < 2) return false;
    address_ = lines[0].trimmed();
    pid_ = lines[1].trimmed().toLongLong();
    return pid_ > 0;
}

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

QStringList ThreadNames() {
    QStringList names;
    for (const QString& t : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(QStringLiteral("/proc/self/task/%1/comm").arg(t));
        if (f.open(QIODevice::ReadOnly)) names << QString::fromUtf8(f.readAll()).trimmed();
    }
    return names;
}

int ThreadCount() {
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

}  // namespace testsupport

namespace testsupport {

struct UiWatchdog::State {
    QObject receiver;  // lives in the UI thread
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::atomic<qint64> answeredAt{0};
    std::atomic<bool> stalled{false};
    std::function<void()> rescue;
    int limitMs = 1000;
    QElapsedTimer clock;
    std::thread watcher;
};

UiWatchdog::UiWatchdog(std::function<void()> rescue, int limitMs) : state_(std::make_shared<State>()) {
    state_->rescue = std::move(rescue);
    state_->limitMs = limitMs;
    state_->clock.start();
    state_->answeredAt = 0;
    State* s = state_.get();
    s->watcher = std::thread([s] {
        std::unique_lock<std::mutex> lock(s->mutex);
        while (!s->wake.wait_for(lock, std::chrono::milliseconds(50), [s] { return s->stop; })) {
            QMetaObject::invokeMethod(
                &s->receiver, [s] { s->answeredAt = s->clock.elapsed(); }, Qt::QueuedConnection);
            if (!s->stalled && s->clock.elapsed() - s->answeredAt > s->limitMs) {
                s->stalled = true;
                if (s->rescue) s->rescue();
            }
        }
    });
}

UiWatchdog::~UiWatchdog() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stop = true;
    }
    state_->wake.notify_all();
    state_->watcher.join();
}

bool UiWatchdog::stalled() {
    QCoreApplication::processEvents();
    return state_->stalled;
}

bool MakeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

void ReleaseFifoReader(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
}

}  // namespace testsupport

namespace testsupport {

StallingShare::StallingShare() = default;

StallingShare::~StallingShare() {
    answer();
    if (!fs_) return;
    // Lazily: a read left behind by the code under test may still hold a
    // file open for a moment.
    QProcess::execute(QStringLiteral("fusermount"),
                      {QStringLiteral("-u"), QStringLiteral("-z"), dir_.filePath(QStringLiteral("share"))});
    if (!fs_->waitForFinished(5000)) {
        fs_->kill();
        fs_->waitForFinished(5000);
    }
}

QString StallingShare::missing() {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return QStringLiteral("no /dev/fuse");
    if (!HaveProgram(QStringLiteral("fusermount"))) return QStringLiteral("no fusermount");
    if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral("-c"), QStringLiteral("import fusepy")}) != 0)
        return QStringLiteral("no python3-fusepy");
    return {};
}

bool StallingShare::mount() {
    const QString share = dir_.filePath(QStringLiteral("share"));
    if (!QDir(dir_.path()).mkpath(QStringLiteral("src")) || !QDir(dir_.path()).mkpath(QStringLiteral("share")))
        return false;
    // Marks the mount, so that the test knows when it is there.
    if (!WriteBytes(source(QStringLiteral(".mounted")), "x")) return false;
    fs_ = std::make_unique<QProcess>();
    fs_->start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(STALL_FS), dir_.filePath(QStringLiteral("src")),
                                                    share, dir_.filePath(QStringLiteral("stalled"))});
    if (!fs_->waitForStarted(5000)) return false;
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(share + QStringLiteral("/.mounted"))) {
        if (clock.elapsed() > 10000 || fs_->state() == QProcess::NotRunning) return false;
        QThread::msleep(20);
    }
    return true;
}

QString StallingShare::source(const QString& name) const { return dir_.filePath(QStringLiteral("src/") + name); }

std::string StallingShare::shared(const QString& name) const {
    return QFile::encodeName(dir_.filePath(QStringLiteral("share/") + name)).toStdString();
}

bool StallingShare::stall() {
    QFile::remove(dir_.filePath(QStringLiteral("stalled.waited")));
    return WriteBytes(dir_.filePath(QStringLiteral("stalled")), "x");
}

void StallingShare::answer() { QFile::remove(dir_.filePath(QStringLiteral("stalled"))); }

QString TempPreferences() {
    static QTemporaryDir dir;
    static int made = 0;
    return dir.filePath(QStringLiteral("preferences-%1.conf").arg(++made));
}

bool StallingShare::waitedOn() const { return QFile::exists(dir_.filePath(QStringLiteral("stalled.waited"))); }

}  // namespace testsupport
