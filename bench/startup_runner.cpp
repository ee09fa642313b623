// SPDX-License-Identifier: GPL-3.0-or-later
// Starts two programs alternately, each many times, and reports the median wall time (from
// start to exit) and the median peak memory (maximum resident set) of each, and their ratios.
//   startup_runner RUNS -- PROGRAM [ARGS...] -- BASELINE [ARGS...]
// Plain C++ on purpose: the runner's own start-up should not weigh on the programs it times.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample {
    double milliseconds;
    double cpuMilliseconds; // user and system
    long maxRssKiB;
};

double ms(const timeval& t) {
    return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
}

Sample runOnce(const std::vector<char*>& command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child == 0) {
        // The programs' own output (the window size, Qt's warnings) is not the runner's.
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        execv(command[0], command.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", command[0], status);
        std::exit(1);
    }
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_maxrss};
}

template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 5 || std::string(argv[2]) != "--") {
        std::fprintf(stderr, "usage: %s RUNS -- PROGRAM [ARGS...] -- BASELINE [ARGS...]\n",
                     argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::vector<char*>> commands(2);
    int which = 0;
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            which = 1;
            continue;
        }
        commands[which].push_back(argv[i]);
    }
    if (runs < 1 || commands[0].empty() || commands[1].empty()) {
        std::fprintf(stderr, "need a number of runs and two commands\n");
        return 2;
    }
    for (auto& command : commands) {
        command.push_back(nullptr);
    }
    // A few runs first, unrecorded, so that both start from warm caches.
    for (int i = 0; i < 3; ++i) {
        runOnce(commands[0]);
        runOnce(commands[1]);
    }
    std::vector<double> wall[2];
    std::vector<double> cpu[2];
    std::vector<long> rss[2];
    for (int i = 0; i < runs; ++i) {
        // Alternate which goes first, so neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const int c = (i % 2 == 0) ? k : 1 - k;
            const Sample s = runOnce(commands[c]);
            wall[c].push_back(s.milliseconds);
            cpu[c].push_back(s.cpuMilliseconds);
            rss[c].push_back(s.maxRssKiB);
        }
    }
    const double t0 = median(wall[0]);
    const double t1 = median(wall[1]);
    const double c0 = median(cpu[0]);
    const double c1 = median(cpu[1]);
    const long m0 = median(rss[0]);
    const long m1 = median(rss[1]);
    std::printf("medians of %d runs each\n", runs);
    std::printf("%-10s %12s %12s %16s\n", "", "wall [ms]", "CPU [ms]", "peak RSS [KiB]");
    std::printf("%-10s %12.1f %12.1f %16ld\n", "program", t0, c0, m0);
    std::printf("%-10s %12.1f %12.1f %16ld\n", "baseline", t1, c1, m1);
    std::printf("%-10s %11.3fx %11.3fx %15.3fx\n", "ratio", t0 / t1, c0 / c1,
                double(m0) / double(m1));
    return 0;
}
