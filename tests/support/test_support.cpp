#include "test_support.h"

#include "app_error.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <vector>

namespace testsupport {

bool GenerateMp3(const QString& path, double seconds, double frequencyHz, const QStringList& lameArgs,
                 int sampleRate) {
    const int frames = static_cast<int>(std::lround(seconds * sampleRate));
    std::vector<int16_t> pcm(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        double v = frequencyHz > 0 ? 0.5 * std::sin(2.0 * M_PI * frequencyHz * i / sampleRate) : 0.0;
        pcm[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
    QStringList args{QStringLiteral("--quiet"), QStringLiteral("-r"), QStringLiteral("-s"),
                     QString::number(sampleRate / 1000.0), QStringLiteral("--bitwidth"), QStringLiteral("16"),
                     QStringLiteral("--signed"), QStringLiteral("--little-endian"), QStringLiteral("-m"),
                     QStringLiteral("m")};
    args << lameArgs << QStringLiteral("-") << path;
    QProcess lame;
    lame.start(QStringLiteral("lame"), args);
    if (!lame.waitForStarted(10000)) return false;
    lame.write(reinterpret_cast<const char*>(pcm.data()), static_cast<qint64>(pcm.size() * sizeof(int16_t)));
    lame.closeWriteChannel();
    if (!lame.waitForFinished(60000)) return false;
    return lame.exitStatus() == QProcess::NormalExit && lame.exitCode() == 0 && QFile::exists(path);
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

ScopedCurrentDir::ScopedCurrentDir(const QString& dir) : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir);
}
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

int ThreadCount() { return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); }

}  // namespace testsupport
