#pragma once
// Small timing helpers shared by the benchmark programs.
#include <sys/wait.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

inline double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Wall time of a shell command in milliseconds (negative when it failed).
inline double TimeCommandMs(const std::string& command) {
    double t0 = NowMs();
    int rc = std::system(command.c_str());
    double t1 = NowMs();
    if (rc == -1 || !WIFEXITED(rc) || WEXITSTATUS(rc) != 0) return -1;
    return t1 - t0;
}

}  // namespace bench
