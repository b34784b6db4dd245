#pragma once
// One folder's visible entries: the one place the program reads a folder,
// for the folder search, the folder tree and the preview of the search
// window.
#include <dirent.h>
#include <sys/types.h>
#include <functional>
#include <set>
#include <string>
#include <vector>

struct FolderListing {
    std::vector<std::string> files;    // names of ordinary files
    std::vector<std::string> folders;  // names of folders
    dev_t device = 0;                  // of the folder itself
    ino_t inode = 0;
};

struct ListOptions {
    // Asked with the folder's device and inode before it is read; false
    // leaves the listing empty (a folder already searched, say).
    std::function<bool(dev_t device, ino_t inode)> enter;
    // Asked every 1024 entries; true ends the listing with what it has.
    std::function<bool()> stop;
};

// The entries of `folder` whose names do not start with "." (hidden), split
// into ordinary files and folders, in the order the file system lists them;
// a symbolic link counts as what it leads to, and anything else (a device, a
// pipe, a broken link) is left out. Names are bytes. Throws AppError when the
// folder cannot be opened.
FolderListing ListFolder(const std::string& folder, const ListOptions& options = {});

// ListFolder(folder) off the caller's thread, within the file deadline
// (common/deadline.h): a folder that does not answer (on a share that
// stopped) is one that cannot be opened, and its listing, left to itself,
// is dropped whenever it ends.
FolderListing ListFolderWithin(const std::string& folder);

// File system types that hold no files of the user's: the kernel's views
// (proc, sysfs, cgroup, debugfs ...) and device nodes. (An automounter's
// folders lead to real shares and are searched.)
// /proc also reaches real folders under false names (every process's
// working folder and root).
bool IsVirtualFileSystem(const std::string& type);
// The devices (st_dev) of the virtual file systems mounted now, from
// /proc/self/mountinfo; empty when it cannot be read.
std::set<dev_t> VirtualFileSystemDevices();

// For tests: replaces opendir(3) (empty restores it). The replacement may
// return nullptr, with errno set, to make a folder unreadable.
using OpenDirFunction = std::function<DIR*(const char* path)>;
void SetOpenDirFunctionForTesting(OpenDirFunction fn);
