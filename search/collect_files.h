#pragma once
// The recursive file search behind the folder search window: the full paths
// of the files of a folder that match one or more wildcard patterns, and on
// request of every folder below it. Paths are byte strings.
#include "search/folder_listing.h"  // SetOpenDirFunctionForTesting

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct CollectOptions {
    // When set and it becomes true, the search stops at the next folder (or
    // within a large folder) and returns what it has found so far.
    std::atomic<bool>* cancel = nullptr;
    // Called after each folder has been listed, with the number of folders
    // visited and of files found so far. Runs on the searching thread.
    std::function<void(std::size_t folders, std::size_t files)> progress;
};

// Collects "folder/" + name for every ordinary file (regular files, and
// symbolic links to them; no folders; nothing whose name starts with ".")
// matching one of `patterns` (split at every ";", nothing trimmed; an empty
// piece matches nothing). The folder's own files come first, pattern by
// pattern in the order the file system lists them; with `recurse`, the
// complete result of each subfolder follows in turn (depth first, pre-order).
// Every path occurs once (compared without regard to case, by the fold the
// playlist sorts by; the first position is kept). Folders that cannot be
// listed are skipped silently; a folder reached twice (through a symbolic
// link) is searched only once, so link loops end; a folder of a virtual file
// system (/proc, /sys ...: IsVirtualFileSystem) is never searched. Never
// throws except std::bad_alloc.
std::vector<std::string> CollectFiles(const std::string& folder, const std::string& patterns, bool recurse);
std::vector<std::string> CollectFiles(const std::string& folder, const std::string& patterns, bool recurse,
                                      const CollectOptions& options);
