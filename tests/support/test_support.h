#pragma once
// Helpers shared by the tests: generated MP3 files, temporary working
// folders and small file utilities.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// Encodes `seconds` of a mono 44.1 kHz sine of `frequencyHz` (0 = silence)
// at `amplitude` (of full scale) into an MP3 at `path` with lame; `lameArgs`
// are added to lame's arguments (for example {"--id3v1-only", "--tt",
// "Title"}). Returns false on failure.
bool GenerateMp3(const QString& path, double seconds, double frequencyHz, const QStringList& lameArgs = {},
                 int sampleRate = 44100, double amplitude = 0.5);

// Encodes one continuous mono 44.1 kHz sine cut into consecutive files with
// `lame --nogap` (with its tags, so each file carries its own delay and
// padding): `cuts` are the seconds at which the files begin and end.
bool GenerateNoGapMp3s(const QStringList& paths, const std::vector<double>& cuts, double frequencyHz);

// Writes bytes to a file, replacing it. Returns false on failure.
bool WriteBytes(const QString& path, const std::string& bytes);
// The whole content of a file (empty when it cannot be read).
std::string ReadBytes(const QString& path);

// Changes the process's current directory for the lifetime of the object.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& dir);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    QString previous_;
};

// Names the user's locale for the lifetime of the object: LANG is set to
// `lang` (nothing set when it is null), LC_ALL and LC_CTYPE are unset; the
// three are restored afterwards.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* lang);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    QByteArray saved_[3];
    bool was_[3] = {};
};

// Removes the files and (empty) folders named, last first, when it goes: Qt
// reads folders as text and cannot remove a name that is not UTF-8, so a
// QTemporaryDir holding one would be left behind.
class ScopedPaths {
public:
    ScopedPaths() = default;
    ~ScopedPaths();
    ScopedPaths(const ScopedPaths&) = delete;
    ScopedPaths& operator=(const ScopedPaths&) = delete;
    // Takes a path made by the test; returns it.
    std::string add(std::string path);

private:
    std::vector<std::string> paths_;
};

// Watches the UI thread while it lives: another thread asks the UI thread's
// event loop for an answer every 50 ms, and when none has come for
// `limitMs` (a call that blocks the window) it notes a stall and runs
// `rescue` (on its own thread: to open the pipe the UI thread waits on,
// say), so that a hang fails the test instead of freezing it.
class UiWatchdog {
public:
    explicit UiWatchdog(std::function<void()> rescue = {}, int limitMs = 1000);
    ~UiWatchdog();
    UiWatchdog(const UiWatchdog&) = delete;
    UiWatchdog& operator=(const UiWatchdog&) = delete;
    // Lets the UI thread answer what is pending, then tells whether it
    // stalled since the watch began.
    bool stalled();

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Makes a named pipe at `path`; true on success.
bool MakeFifo(const QString& path);
// Opens the named pipe at `path` for writing without blocking and closes it
// at once: a reader blocked in open(2) on it goes on (and reads its end).
void ReleaseFifoReader(const QString& path);

// True when a program is found on PATH.
bool HaveProgram(const QString& name);

// A network share that stops answering: a FUSE mirror of a folder of its own
// (stall_fs.py) whose opens and reads wait while it is stalled, as those of a
// share whose server went away. Unmounted when this goes.
class StallingShare {
public:
    StallingShare();
    ~StallingShare();
    StallingShare(const StallingShare&) = delete;
    StallingShare& operator=(const StallingShare&) = delete;
    // Why no share can be mounted here (no /dev/fuse, fusermount or
    // python3-fusepy); empty when one can.
    static QString missing();
    // Mounts the share; false when it did not come up within 10 s.
    bool mount();
    // Where a test writes a file, and the path of the same file on the share.
    QString source(const QString& name) const;
    std::string shared(const QString& name) const;
    // From stall() on, every open and read waits until answer().
    bool stall();
    void answer();
    // Some open or read has waited since the last stall().
    bool waitedOn() const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> fs_;
};

// A private D-Bus daemon of the session kind, stopped by its pid when this
// goes. It starts no service by itself (its service folder is empty), so a
// desktop service installed on the machine never answers in a test's place.
class PrivateBus {
public:
    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus();
    bool Start();
    QString address() const { return address_; }

private:
    QTemporaryDir dir_;
    QString address_;
    qint64 pid_ = 0;
};

// The number of the AppError that `action` throws; 0 when it throws none.
int ErrorNumberOf(const std::function<void()>& action);

// The names of this process's threads (those still there to be read), and
// how many threads it has.
QStringList ThreadNames();
// A preferences file of the test's own (a fresh name in a folder that lives
// as long as the test program), so that no test reads or writes the user's.
QString TempPreferences();
int ThreadCount();

}  // namespace testsupport
