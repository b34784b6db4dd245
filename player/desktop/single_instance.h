#pragma once
// One window in a session: the first start claims org.corvalle.Mp3Player on
// the session bus before it does anything else, and offers Open there; any
// later start, however close behind, finds the name taken, hands its files
// over and ends. Without a session bus every start has a window of its own.
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
    using OpenFunction = std::function<void(const std::vector<std::string>&)>;
    // `open` receives the files (paths as bytes) of a later start.
    explicit InstanceService(OpenFunction open = nullptr, QObject* parent = nullptr);
    ~InstanceService() override;

    enum class Claim { Ours, Taken, NoBus };
    // Takes the name, in one step that no other start can come between:
    // Ours, Taken (another player holds it), or NoBus (no session bus, or
    // the bus would not answer).
    Claim ClaimName();
    // ClaimName, true when the name is ours.
    bool Register() { return ClaimName() == Claim::Ours; }
    // Who receives the files of later starts. Until it is set (the window is
    // being made), they wait.
    void setOpen(OpenFunction open);
    // True while one of the player's modal windows is open: the files wait
    // until it closes, as the desktop's commands do.
    std::function<bool()> busy;

public slots:
    // The files of a later start, each path as its bytes. Answered at once:
    // the files are opened afterwards, from the event loop, so a message
    // about them never holds the later start up.
    void Open(const QByteArrayList& paths);

private:
    void OpenWaiting();

    OpenFunction open_;
    std::vector<std::vector<std::string>> waiting_;  // files handed over before there was a window
    bool registered_ = false;
};

// Hands `files` to a player already running in this session. True when one
// took them: this start has nothing more to do.
bool HandToRunningPlayer(const std::vector<std::string>& files);

// One window in a session: claims the name for `instance`, or hands `files`
// to the player that holds it. True when the files were handed over (this
// start ends); false when this start is to open its window (the name is
// ours, or there is no session bus, or the holder kept not answering).
bool HandOverOrClaim(InstanceService& instance, const std::vector<std::string>& files);

// The files named on a command line (what Qt left of it after its own
// options), each made a full path against the current folder.
std::vector<std::string> FilesFromCommandLine(int argc, char** argv);
