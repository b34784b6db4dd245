#include "playlist/entry_check.h"

#include "common/deadline.h"

#include <dirent.h>
#include <sys/stat.h>
#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {
// ".", ".." and "//" resolved, without asking the file system.
std::string CleanPath(const std::string& path) {
    std::vector<std::string> parts;
    std::istringstream in(path);
    for (std::string part; std::getline(in, part, '/');) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

// The mount points, longest first, from /proc/self/mountinfo (spaces and
// the like come octal-escaped there).
std::vector<std::string> MountPoints() {
    std::vector<std::string> points;
    std::ifstream mounts("/proc/self/mountinfo");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point;
        if (!(fields >> id >> parent >> numbers >> root >> point)) continue;
        std::string plain;
        for (size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && i + 3 < point.size()) {
                plain += static_cast<char>(std::strtol(point.substr(i + 1, 3).c_str(), nullptr, 8));
                i += 3;
            } else {
                plain += point[i];
            }
        }
        points.push_back(plain);
    }
    std::sort(points.begin(), points.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    return points;
}

std::string MountOf(const std::string& folder, const std::vector<std::string>& points) {
    for (const std::string& p : points)
        if (folder == p || p == "/" || (folder.compare(0, p.size(), p) == 0 && folder[p.size()] == '/')) return p;
    return "/";
}

struct FileFact {
    EntryFacts::State state;
    std::string file;
    bool resolved = false;  // `file` is the real path
};

// The folder, then each of its files (within the deadline, on a thread of
// the caller's RunWithin).
std::vector<FileFact> LookIn(const std::string& folder, const std::vector<std::string>& files) {
    // Opened, not only looked up: a share answers that, or does not.
    DIR* dir = ::opendir(folder.c_str());
    const bool folderThere = dir || (errno != ENOENT && errno != ENOTDIR);
    if (dir) ::closedir(dir);
    struct stat st {};
    std::vector<FileFact> facts;
    for (const std::string& file : files) {
        if (!folderThere) {
            facts.push_back({EntryFacts::State::FolderGone, file, false});
            continue;
        }
        const bool gone = ::stat(file.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
        char resolved[PATH_MAX];
        const bool real = !gone && ::realpath(file.c_str(), resolved);
        facts.push_back({gone ? EntryFacts::State::Gone : EntryFacts::State::Present, real ? resolved : file, real});
    }
    return facts;
}
}  // namespace

EntryFacts CheckEntries(const std::vector<std::string>& entries) {
    EntryFacts facts;
    facts.states.assign(entries.size(), EntryFacts::State::Present);
    facts.files.resize(entries.size());
    // The entries by folder, each file named once.
    std::map<std::string, std::vector<size_t>> byFolder;
    for (size_t i = 0; i < entries.size(); ++i) {
        // Looked at as written (".." after a link is the link's parent), and
        // named by its clean path where it cannot be resolved.
        facts.files[i] = CleanPath(entries[i]);
        const std::string& entry = entries[i];
        const size_t slash = entry.rfind('/');
        byFolder[slash == std::string::npos ? "." : entry.substr(0, std::max<size_t>(1, slash))].push_back(i);
    }
    const std::vector<std::string> points = MountPoints();
    std::set<std::string> silent;  // mounts a folder of which did not answer
    for (const auto& [folder, rows] : byFolder) {
        const std::string mount = MountOf(folder, points);
        std::vector<std::string> files;
        for (size_t i : rows) files.push_back(entries[i]);
        std::optional<std::vector<FileFact>> looked;
        if (!silent.count(mount))
            looked = RunWithin<std::vector<FileFact>>(kFileDeadline,
                                                      [folder = folder, files] { return LookIn(folder, files); });
        if (!looked) silent.insert(mount);
        for (size_t k = 0; k < rows.size(); ++k) {
            facts.states[rows[k]] = looked ? (*looked)[k].state : EntryFacts::State::NoAnswer;
            if (looked && (*looked)[k].resolved) facts.files[rows[k]] = (*looked)[k].file;
        }
    }
    return facts;
}

// What the check's thread hands back.
struct EntryCheck::Run {
    std::vector<std::string> entries;
    EntryFacts facts;
    std::unique_ptr<BoundedThread> thread;
};

EntryCheck::~EntryCheck() {
    if (running_ && running_->thread) running_->thread->joinWithin(std::chrono::milliseconds(0));
}

bool EntryCheck::start(std::vector<std::string> entries) {
    if (running_) return false;
    auto run = std::make_shared<Run>();
    run->entries = entries;
    QPointer<EntryCheck> self(this);
    // The result is told on this object's thread; the thread keeps what it
    // uses itself (it may outlive this object, stuck on a share).
    running_ = run;  // before the thread, which may tell its result at once
    try {
        run->thread =
            std::make_unique<BoundedThread>([entries = std::move(entries), keep = std::weak_ptr<Run>(run), self] {
                EntryFacts facts = CheckEntries(entries);
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, keep, facts = std::move(facts)] {
                        const std::shared_ptr<Run> run = keep.lock();
                        if (!self || !run || self->running_ != run) return;
                        run->thread->joinWithin(std::chrono::milliseconds(300));  // it is on its way out
                        self->running_.reset();
                        emit self->checked(run->entries, facts);
                    },
                    Qt::QueuedConnection);
            });
    } catch (const std::system_error&) {
        running_.reset();  // no thread to be had now
        return false;
    }
    return true;
}
