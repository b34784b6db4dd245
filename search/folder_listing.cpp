#include "search/folder_listing.h"

#include "common/app_error.h"
#include "common/deadline.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {
// The test's stand-in for opendir(3), read by every listing thread.
std::mutex g_openDirMutex;
OpenDirFunction g_openDir;

// Closes the folder however the listing ends.
struct DirCloser {
    DIR* dir;
    ~DirCloser() { ::closedir(dir); }
};
}  // namespace

void SetOpenDirFunctionForTesting(OpenDirFunction fn) {
    std::lock_guard<std::mutex> lock(g_openDirMutex);
    g_openDir = std::move(fn);
}

FolderListing ListFolder(const std::string& folder, const ListOptions& options) {
    errno = 0;
    OpenDirFunction openDir;
    {
        std::lock_guard<std::mutex> lock(g_openDirMutex);
        openDir = g_openDir;
    }
    DIR* dir = openDir ? openDir(folder.c_str()) : ::opendir(folder.c_str());
    if (!dir) throw ErrorFromErrno(errno ? errno : EACCES);
    DirCloser closer{dir};
    FolderListing listing;
    const int fd = ::dirfd(dir);
    struct stat self {};
    if (fd < 0 || ::fstat(fd, &self) != 0) throw ErrorFromErrno(errno);
    listing.device = self.st_dev;
    listing.inode = self.st_ino;
    if (options.enter && !options.enter(self.st_dev, self.st_ino)) return listing;
    size_t seen = 0;
    while (const dirent* e = ::readdir(dir)) {
        if ((++seen & 1023) == 0 && options.stop && options.stop()) break;
        if (e->d_name[0] == '.') continue;  // hidden, "." and ".."
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            type = ::fstatat(fd, e->d_name, &st, 0) != 0 ? DT_UNKNOWN  // a broken link: neither
                   : S_ISREG(st.st_mode)                 ? DT_REG
                   : S_ISDIR(st.st_mode)                 ? DT_DIR
                                                         : DT_UNKNOWN;
        }
        if (type == DT_REG)
            listing.files.emplace_back(e->d_name);
        else if (type == DT_DIR)
            listing.folders.emplace_back(e->d_name);
    }
    return listing;
}

FolderListing ListFolderWithin(const std::string& folder) {
    std::optional<FolderListing> listing =
        RunWithin<FolderListing>(kFileDeadline, [folder] { return ListFolder(folder); });
    if (!listing)
        throw AppError(ErrNo::PathFileAccess,
                       StandardDescription(ErrNo::PathFileAccess) + " (the folder did not answer)");
    return std::move(*listing);
}

bool IsVirtualFileSystem(const std::string& type) {
    static const std::set<std::string> kinds{"proc",        "sysfs",      "devtmpfs", "devpts",    "cgroup",
                                             "cgroup2",     "securityfs", "debugfs",  "tracefs",   "pstore",
                                             "bpf",         "configfs",   "fusectl",  "mqueue",    "hugetlbfs",
                                             "binfmt_misc", "nsfs",       "efivarfs", "selinuxfs", "rpc_pipefs"};
    return kinds.count(type) > 0;
}

std::set<dev_t> VirtualFileSystemDevices() {
    // Each line: id, parent, major:minor, root, mount point, options, optional
    // fields, "-", the type, the source, the super block's options.
    std::set<dev_t> devices;
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, field;
        fields >> id >> parent >> numbers;
        unsigned major = 0, minor = 0;
        if (std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) != 2) continue;
        while (fields >> field && field != "-") {
        }
        std::string type;
        if (fields >> type && IsVirtualFileSystem(type)) devices.insert(makedev(major, minor));
    }
    return devices;
}
