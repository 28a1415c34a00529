// SPDX-License-Identifier: MIT
// The unit the comparison times: one system doing one task on one input.
// Every system registers a job factory per task at start-up; the runner
// builds each job in a child process of its own, times Run() and reads the
// peak memory it adds.
#ifndef FILEKIT_BENCH_PEERS_JOB_H
#define FILEKIT_BENCH_PEERS_JOB_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace compare {

// One input of a task. Files are made by Inputs.cpp; a token tree has no
// file and is built by the job from its fan-out.
struct Input {
    std::string kind;  // "ini", "ini-crlf", "ini-typical", "xml", "tokens"
    std::string size;  // label: "64K", "4M", "64M", "20x50", "1k nodes", ...
    std::string path;  // the file ("" for a token tree)
    std::uint64_t bytes;  // the file's size
    std::uint64_t units;  // what the throughput counts: bytes, lookups or nodes
    int sections;  // INI: sections in the file
    int keysPerSection;  // INI: keys in every section, 0 when it varies
    int fanout;  // token tree: children per node on each of its levels
    std::string scratch;  // folder for the files a job writes
};

class Job {
public:
    virtual ~Job() = default;
    // Untimed, once before the first run: load what the task starts from.
    virtual void Setup() {}
    // The measured work.
    virtual void Run() = 0;
    // Untimed, after every run: release what Run built.
    virtual void Reset() {}
    // A summary of what the last run produced (counts, bytes), called before
    // Reset; systems given the same input must agree. 0: not compared.
    virtual std::uint64_t Digest() { return 0; }
};

enum class Role { Filekit, Peer, Floor };

using JobFactory = std::function<std::unique_ptr<Job>(const Input&)>;

struct Entry {
    std::string task;
    std::string system;
    Role role;
    JobFactory make;
};

// Adds an entry during static initialisation; the result only lets a
// namespace-scope constant hold the call.
bool Register(Entry entry);

// Every registered entry, in registration order.
const std::vector<Entry>& Entries();

// Helper for the job files: registers make() under task and system.
template <class JobType>
bool RegisterJob(const char* task, const char* system, Role role)
{
    return Register({task, system, role, [](const Input& input) { return std::make_unique<JobType>(input); }});
}

// Folds a value into a running digest (FNV-1a over the value's bytes).
std::uint64_t Mix(std::uint64_t digest, std::uint64_t value);

}  // namespace compare

#endif
