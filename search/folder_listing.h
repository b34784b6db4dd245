#pragma once
// One folder's visible entries, as the folder search window shows them.
#include <string>
#include <vector>

struct FolderListing {
    std::vector<std::string> files;    // names of ordinary files
    std::vector<std::string> folders;  // names of folders
};

// The entries of `folder` whose names do not start with "." (hidden), split
// into ordinary files and folders, in the order the file system lists them;
// a symbolic link counts as what it leads to, and anything else (a device, a
// pipe, a broken link) is left out. Names are bytes. Throws AppError when the
// folder cannot be listed.
FolderListing ListFolder(const std::string& folder);
