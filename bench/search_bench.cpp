// Times the recursive file search against find(1) on a generated tree of
// 100 000 files in 5 000 folders (one file in ten an ".mp3").
#include "bench_util.h"
#include "search/collect_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool MakeTree(const std::string& root) {
    // 100 folders of 49 subfolders each: 5 000 folders, 20 files in each.
    int fileNo = 0;
    auto fill = [&](const std::string& dir) {
        for (int f = 0; f < 20; ++f, ++fileNo) {
            std::string name = dir + "/track" + std::to_string(fileNo) + (fileNo % 10 == 0 ? ".mp3" : ".dat");
            int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) return false;
            ::close(fd);
        }
        return true;
    };
    for (int a = 0; a < 100; ++a) {
        std::string top = root + "/artist" + std::to_string(a);
        if (::mkdir(top.c_str(), 0755) != 0 || !fill(top)) return false;
        for (int b = 0; b < 49; ++b) {
            std::string sub = top + "/album" + std::to_string(b);
            if (::mkdir(sub.c_str(), 0755) != 0 || !fill(sub)) return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/search_bench_XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string root = buf.data();
    int rc = 0;
    if (!MakeTree(root)) {
        std::perror("creating the tree");
        rc = 1;
    } else {
        std::string findCmd = "find '" + root + "' -iname '*.mp3' > /dev/null";
        // Warm the cache for both.
        size_t found = CollectFiles(root, "*.mp3", true).size();
        bench::TimeCommandMs(findCmd);
        if (found != 10000) {
            std::fprintf(stderr, "expected 10000 files, found %zu\n", found);
            rc = 1;
        } else {
            std::vector<double> ours, theirs;
            for (int i = 0; i < 7; ++i) {
                double t0 = bench::NowMs();
                found = CollectFiles(root, "*.mp3", true).size();
                ours.push_back(bench::NowMs() - t0);
                double f = bench::TimeCommandMs(findCmd);
                if (f < 0) {
                    std::fprintf(stderr, "find failed\n");
                    rc = 1;
                    break;
                }
                theirs.push_back(f);
            }
            if (rc == 0) {
                double o = bench::Median(ours), t = bench::Median(theirs);
                std::printf("collect_files_100k  ours_ms=%.1f  find_ms=%.1f  ratio=%.2f\n", o, t, t > 0 ? o / t : 0);
            }
        }
    }
    std::string rm = "rm -rf '" + root + "'";
    if (std::system(rm.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", root.c_str());
    return rc;
}
