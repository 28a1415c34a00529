// SPDX-License-Identifier: MIT
// The child side times and measures, the parent side reads one line back.
// The systems of a task take turns, a share of their runs per round, so a
// burst of other work on the machine falls on all of them alike.
// Peak memory: the kernel's high-water mark of the resident size is reset to
// the current size just before the first run (clear_refs 5) and read after
// it, so it counts what the job's Run added on top of its Setup.
#include "Runner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <limits>
#include <malloc.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace compare {
namespace {

// A value in kB from /proc/self/status ("VmRSS:", "VmHWM:"); -1 when absent.
long long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0) return std::atoll(line.c_str() + length);
    return -1;
}

class PeakProbe {
public:
    // Sets the high-water mark to the current resident size.
    void Start()
    {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        m_supported = static_cast<bool>(clear);
        m_startKb = StatusKb("VmRSS:");
    }
    long long AddedBytes() const
    {
        const long long peakKb = StatusKb("VmHWM:");
        if (!m_supported || m_startKb < 0 || peakKb < 0) return -1;
        return std::max(0LL, peakKb - m_startKb) * 1024;
    }

private:
    bool m_supported = false;
    long long m_startKb = -1;
};

double CpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The CPU time (user and system) that work took. On a machine shared with
// other work, wall time mostly measures the waits for a free core; the
// inputs are in the page cache, so the CPU time is what the work costs.
template <class Work>
double Seconds(Work&& work)
{
    const double start = CpuSeconds();
    work();
    return CpuSeconds() - start;
}

// Keeps every freed block in the heap for the next run: no block is mapped
// on its own and the heap is never trimmed. Otherwise some runs would pay
// for the first touch of every page they use and others not, depending on
// glibc's moving mmap threshold (large blocks over 32 MB are always mapped
// afresh), and on this sandboxed machine a first touch costs about 13 us a
// page, which would swamp the work being measured.
void KeepFreedMemory()
{
    ::mallopt(M_MMAP_MAX, 0);
    ::mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
}

// One child's share of a system's runs: the untimed set-up, a first run
// that also measures the peak memory (in the first round only it counts),
// then timed runs until this round's part of the budget is spent.
std::string Measure(const Entry& entry, const Input& input, const Budget& budget)
{
    KeepFreedMemory();
    auto job = entry.make(input);
    job->Setup();
    PeakProbe probe;
    probe.Start();
    const double first = Seconds([&] { job->Run(); });
    const long long peak = probe.AddedBytes();
    const std::uint64_t digest = job->Digest();
    job->Reset();

    const int perRound = std::max(1, budget.maxRuns / budget.rounds);
    const int wanted = static_cast<int>(std::ceil(budget.seconds / budget.rounds / std::max(first, 1e-9)));
    const int runs = std::clamp(wanted, 1, perRound);
    std::ostringstream line;
    line.precision(9);
    line << "ok " << peak << ' ' << digest << ' ' << runs;
    for (int i = 0; i < runs; ++i) {
        line << ' ' << Seconds([&] { job->Run(); });
        job->Reset();
    }
    line << '\n';
    return line.str();
}

void WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// Runs entry's share of one round in a child and adds its times to result.
void RunInChild(const Entry& entry, const Input& input, const Budget& budget, Result& result)
{
    int fds[2];
    if (::pipe(fds) != 0) {
        result.error = "pipe failed";
        return;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        result.error = "fork failed";
        return;
    }
    if (child == 0) {
        ::close(fds[0]);
        std::string line;
        try {
            line = Measure(entry, input, budget);
        } catch (const std::exception& error) {
            line = std::string("error ") + error.what() + "\n";
        }
        WriteAll(fds[1], line);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);

    std::istringstream line(text);
    std::string word;
    line >> word;
    long long peak = -1;
    std::uint64_t digest = 0;
    int runs = 0;
    if (word == "ok" && line >> peak >> digest >> runs) {
        if (result.times.empty()) {
            result.peakBytes = peak;
            result.digest = digest;
        }
        double seconds = 0;
        for (int i = 0; i < runs && line >> seconds; ++i) result.times.push_back(seconds);
    } else if (word == "error") {
        std::getline(line, result.error);
    } else if (WIFSIGNALED(status)) {
        result.error = std::string("killed by ") + strsignal(WTERMSIG(status));
    } else {
        result.error = "no result";
    }
}

}  // namespace

std::vector<Result> RunRounds(const std::vector<const Entry*>& entries, const Input& input, const Budget& budget)
{
    std::vector<Result> results(entries.size());
    for (int round = 0; round < budget.rounds; ++round)
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (results[i].error.empty()) RunInChild(*entries[i], input, budget, results[i]);
    for (Result& result : results) {
        result.ok = result.error.empty() && !result.times.empty();
        if (!result.ok) continue;
        std::vector<double> sorted = result.times;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        result.median = sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    return results;
}

}  // namespace compare
