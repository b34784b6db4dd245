#pragma once
// The files playlist entries name, looked at away from the window's thread:
// which are gone, and which name the same file. A folder whose share stops
// answering holds nothing up: each folder is given the file deadline, and
// the other folders of a mount that did not answer are not asked.
#include <QObject>
#include <memory>
#include <string>
#include <vector>

struct EntryFacts {
    enum class State {
        Present,     // the file is there (or cannot be told gone)
        Gone,        // the file is gone from a folder that is there
        FolderGone,  // its folder is gone too: an unplugged drive, an unmounted share
        NoAnswer,    // its folder did not answer within the file deadline
    };
    std::vector<State> states;  // one for each entry, in order
    // The file each entry names: its path with ".", ".." and "//" resolved,
    // and its symbolic links where its folder answered.
    std::vector<std::string> files;
};

// Looks at the file of each entry; blocks (a thread of its own runs it).
EntryFacts CheckEntries(const std::vector<std::string>& entries);

// CheckEntries on a thread of its own; `checked` is told on the owner's
// thread. A check that is still running when this goes is left to itself.
class EntryCheck : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~EntryCheck() override;
    // False when one is running already.
    bool start(std::vector<std::string> entries);
    bool running() const { return static_cast<bool>(running_); }

signals:
    // The entries checked, and what was found.
    void checked(const std::vector<std::string>& entries, const EntryFacts& facts);

private:
    struct Run;
    std::shared_ptr<Run> running_;
};
