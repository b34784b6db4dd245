#include "collect_files.h"

#include "case_fold.h"
#include "wildcard.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unordered_set>
#include <utility>

namespace {

OpenDirFunction g_openDir;

DIR* OpenDir(const char* path) {
    if (g_openDir) return g_openDir(path);
    return ::opendir(path);
}

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
    size_t folders = 0;

    void AddPath(std::string path) {
        if (keys.insert(FoldCase(path)).second) result.push_back(std::move(path));
    }

    // Lists one folder: appends its matching files to the result and returns
    // its subfolders (full paths with their closing "/"). `folder` ends in "/".
    std::vector<std::string> ListFolder(const std::string& folder) {
        std::vector<std::string> subfolders;
        DIR* dir = OpenDir(folder.c_str());
        if (!dir) return subfolders;
        int fd = ::dirfd(dir);
        struct stat self {};
        if (fd < 0 || ::fstat(fd, &self) != 0 || !visited.insert({self.st_dev, self.st_ino}).second) {
            ::closedir(dir);
            return subfolders;
        }
        ++folders;
        std::vector<std::string> files;
        size_t seen = 0;
        for (;;) {
            errno = 0;
            dirent* e = ::readdir(dir);
            if (!e) break;
            if ((++seen & 1023) == 0 && Cancelled(options)) break;
            const char* name = e->d_name;
            if (name[0] == '.') continue;  // hidden, "." and ".."
            unsigned char type = e->d_type;
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat st {};
                if (fd < 0 || ::fstatat(fd, name, &st, 0) != 0) continue;  // broken link: neither
                type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
            }
            if (type == DT_REG)
                files.emplace_back(name);
            else if (type == DT_DIR && recurse)
                subfolders.push_back(folder + name + "/");
        }
        ::closedir(dir);
        for (const std::string& pattern : patterns) {
            if (pattern.empty()) continue;
            for (const std::string& name : files)
                if (WildcardMatch(pattern, name)) AddPath(folder + name);
        }
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
            std::vector<std::string> subs = ListFolder(folder);
            for (auto it = subs.rbegin(); it != subs.rend(); ++it) stack.push_back(std::move(*it));
        }
    }
};

}  // namespace

void SetOpenDirFunctionForTesting(OpenDirFunction fn) { g_openDir = std::move(fn); }

std::vector<std::string> CollectFiles(const std::string& folder, const std::string& patterns, bool recurse) {
    return CollectFiles(folder, patterns, recurse, CollectOptions{});
}

std::vector<std::string> CollectFiles(const std::string& folder, const std::string& patterns, bool recurse,
                                      const CollectOptions& options) {
    std::string start = folder;
    if (start.empty() || start.back() != '/') start += '/';
    std::vector<std::string> list = SplitPatterns(patterns);
    Search search{list, recurse, options, {}, {}, {}, 0};
    search.Run(start);
    return std::move(search.result);
}
