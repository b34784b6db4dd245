#include "search/collect_files.h"

#include "common/app_error.h"
#include "common/case_fold.h"
#include "search/folder_listing.h"
#include "search/wildcard.h"

#include <set>
#include <unordered_set>
#include <utility>

namespace {

std::vector<std::string> SplitPatterns(const std::string& patterns) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t semi = patterns.find(';', start);
        if (semi == std::string::npos) {
            out.push_back(patterns.substr(start));
            break;
        }
        out.push_back(patterns.substr(start, semi - start));
        start = semi + 1;
    }
    return out;
}

bool Cancelled(const CollectOptions& options) {
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

struct Search {
    const std::vector<std::string>& patterns;
    bool recurse;
    const CollectOptions& options;
    std::vector<std::string> result;
    std::unordered_set<std::string> keys;
    std::set<std::pair<dev_t, ino_t>> visited;
    // Never entered: nothing there is music, and /proc reaches real folders
    // under false names, which the visited guard would then keep.
    std::set<dev_t> virtualDevices;
    size_t folders = 0;

    void AddPath(std::string path) {
        if (keys.insert(FoldCase(path)).second) result.push_back(std::move(path));
    }

    // Lists one folder: appends its matching files to the result and returns
    // its subfolders (full paths with their closing "/"). `folder` ends in "/".
    std::vector<std::string> ListOne(const std::string& folder) {
        std::vector<std::string> subfolders;
        bool entered = false;
        ListOptions list;
        list.enter = [&](dev_t device, ino_t inode) {
            return entered = !virtualDevices.count(device) && visited.insert({device, inode}).second;
        };
        list.stop = [this] { return Cancelled(options); };
        FolderListing found;
        try {
            found = ListFolder(folder, list);
        } catch (const AppError&) {
            return subfolders;  // a folder that cannot be listed adds nothing
        }
        if (!entered) return subfolders;  // reached before, through a link
        ++folders;
        for (const std::string& pattern : patterns) {
            if (pattern.empty()) continue;
            for (const std::string& name : found.files)
                if (WildcardMatch(pattern, name)) AddPath(folder + name);
        }
        if (recurse)
            for (const std::string& name : found.folders) subfolders.push_back(folder + name + "/");
        if (options.progress) options.progress(folders, result.size());
        return subfolders;
    }

    void Run(const std::string& start) {
        // Depth first, pre-order: a folder's subfolders are pushed in reverse
        // so that the first one is searched (with everything below it) first.
        std::vector<std::string> stack{start};
        while (!stack.empty()) {
            if (Cancelled(options)) return;
            std::string folder = std::move(stack.back());
            stack.pop_back();
            std::vector<std::string> subs = ListOne(folder);
            for (auto it = subs.rbegin(); it != subs.rend(); ++it) stack.push_back(std::move(*it));
        }
    }
};

}  // namespace

std::vector<std::string> CollectFiles(const std::string& folder, const std::string& patterns, bool recurse) {
    return CollectFiles(folder, patterns, recurse, CollectOptions{});
}

std::vector<std::string> CollectFiles(const std::string& folder, const std::string& patterns, bool recurse,
                                      const CollectOptions& options) {
    std::string start = folder;
    if (start.empty() || start.back() != '/') start += '/';
    std::vector<std::string> list = SplitPatterns(patterns);
    Search search{list, recurse, options, {}, {}, {}, VirtualFileSystemDevices(), 0};
    search.Run(start);
    return std::move(search.result);
}
