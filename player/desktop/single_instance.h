#pragma once
// One window in a session: the running player offers Open on the session bus
// (org.corvalle.Mp3Player); a second start hands its files to it and ends.
// Without a session bus every start has a window of its own.
#include <QByteArrayList>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

extern const char* const kInstanceServiceName;  // "org.corvalle.Mp3Player"

class InstanceService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.corvalle.Mp3Player")
public:
    // `open` receives the files (paths as bytes) of a later start.
    explicit InstanceService(std::function<void(const std::vector<std::string>&)> open, QObject* parent = nullptr);
    ~InstanceService() override;
    // Offers Open on the session bus; false (silently) without one, or when
    // another player holds the name.
    bool Register();

public slots:
    // The files of a later start, each path as its bytes.
    void Open(const QByteArrayList& paths);

private:
    std::function<void(const std::vector<std::string>&)> open_;
    bool registered_ = false;
};

// Hands `files` to a player already running in this session. True when one
// took them: this start has nothing more to do.
bool HandToRunningPlayer(const std::vector<std::string>& files);

// The files named on a command line (what Qt left of it after its own
// options), each made a full path against the current folder.
std::vector<std::string> FilesFromCommandLine(int argc, char** argv);
