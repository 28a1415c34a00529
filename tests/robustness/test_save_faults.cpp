// Saves whose system calls fail, saves killed or running at once, and a
// handle closed while another thread reads through it. The faults are made
// through the POSIX call table.
#include "robustness/Saves.h"

#include "platform/posix/Syscalls.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <regex>
#include <thread>

namespace {

using filekit::g_sys;
using filekit::RealSysCalls;
using filekit::SysCalls;
using namespace filekit_test;

struct RealCallsAfterwards {
    ~RealCallsAfterwards() { g_sys = RealSysCalls(); }
};

// --- The fault table -----------------------------------------------------------

// The calls a row may make fail, each counted from the start of the save.
enum Call { kOpen, kWrite, kFsync, kClose, kRename, kFlock, kCalls };
const std::map<std::string, Call> kCallNames = {{"open", kOpen},   {"write", kWrite},   {"fsync", kFsync},
                                                {"close", kClose}, {"rename", kRename}, {"flock", kFlock}};
const std::map<std::string, int> kErrnoNames = {{"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT}, {"ENAMETOOLONG", ENAMETOOLONG},
                                                {"EROFS", EROFS},   {"EIO", EIO},       {"EACCES", EACCES},
                                                {"EPERM", EPERM},   {"ENOLCK", ENOLCK}};

int g_count[kCalls];
std::map<std::pair<Call, int>, int> g_faults;  // (call, n) -> errno

// Counts the call; true, with errno set, when this one is to fail.
bool Fails(Call call)
{
    const auto fault = g_faults.find({call, ++g_count[call]});
    if (fault == g_faults.end()) return false;
    errno = fault->second;
    return true;
}

template <auto Field, Call C, typename R, typename... A>
R Faulty(A... args)
{
    if constexpr (C == kClose) {  // the descriptor is closed all the same
        const R result = (RealSysCalls().*Field)(args...);
        return Fails(C) ? -1 : result;
    } else {
        return Fails(C) ? -1 : (RealSysCalls().*Field)(args...);
    }
}

template <auto Field, Call C, typename R, typename... A>
void Hook(SysCalls& calls, R (*SysCalls::*)(A...))
{
    calls.*Field = &Faulty<Field, C, R, A...>;
}

SysCalls FaultyCalls()
{
    SysCalls calls = RealSysCalls();
    Hook<&SysCalls::open, kOpen>(calls, &SysCalls::open);
    Hook<&SysCalls::write, kWrite>(calls, &SysCalls::write);
    Hook<&SysCalls::fsync, kFsync>(calls, &SysCalls::fsync);
    Hook<&SysCalls::close, kClose>(calls, &SysCalls::close);
    Hook<&SysCalls::rename, kRename>(calls, &SysCalls::rename);
    Hook<&SysCalls::flock, kFlock>(calls, &SysCalls::flock);
    return calls;
}

TEST(SaveFaults, Table)
{
    const std::vector<TableRow> rows = ReadTable("save_faults.txt");
    ASSERT_FALSE(rows.empty());
    std::map<std::string, std::string> newBytes;
    for (const TableRow& row : rows) {
        SCOPED_TRACE(row.line);
        const std::string kind = row.given[0].substr(0, 3);
        SavedDocument doc(kind);
        TempDir dir;
        if (!newBytes.count(kind)) {
            doc.Save(dir.Path("probe"));
            newBytes[kind] = ReadBytes(dir.Path("probe"));
            std::filesystem::remove(dir.Path("probe"));
        }
        g_faults.clear();
        std::fill(std::begin(g_count), std::end(g_count), 0);
        for (size_t i = 1; i < row.given.size() && row.given[i] != "-"; ++i) {
            const std::string& fault = row.given[i];
            const size_t hash = fault.find('#');
            const size_t equals = fault.find('=');
            ASSERT_TRUE(kCallNames.count(fault.substr(0, hash)) && kErrnoNames.count(fault.substr(equals + 1)));
            g_faults[{kCallNames.at(fault.substr(0, hash)), std::stoi(fault.substr(hash + 1))}] =
                kErrnoNames.at(fault.substr(equals + 1));
        }
        const std::string path = dir.Path("target");
        WriteBytes(path, "old");
        int result;
        DWORD error;
        {
            RealCallsAfterwards restore;
            g_sys = FaultyCalls();
            SetLastError(kUntouchedError);
            result = doc.Save(path);
            error = GetLastError();
        }
        const std::string content = ReadBytes(path);
        const std::string file = content == "old" ? "old" : content == newBytes[kind] ? "new" : "cut";
        const std::string leftovers = Listing(dir.Root()) == "target" ? "no-temp" : "temp";
        EXPECT_EQ(std::to_string(result) + " " + file + " " + leftovers + " " + ErrorName(error),
                  row.expected[0] + " " + row.expected[1] + " " + row.expected[2] + " " + row.expected[3]);
    }
}

// --- Saves killed, and saves at once -------------------------------------------

// A gate that a hooked call waits at: Arrive tells the test the call is
// there, and the call goes on once the test opens the gate.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool arrived = false;
    bool open = false;

    void Arrive()
    {
        std::unique_lock<std::mutex> lock(mutex);
        arrived = true;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void AwaitArrival()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return arrived; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

Gate* g_gate = nullptr;
thread_local bool t_stopsAtGate = false;  // set by the thread whose next hooked call waits at the gate

void PassGate()
{
    if (!t_stopsAtGate) return;
    t_stopsAtGate = false;
    g_gate->Arrive();
}

ssize_t WriteAfterGate(int fd, const void* data, size_t count)
{
    PassGate();
    return RealSysCalls().write(fd, data, count);
}

// The listing of a folder that holds the target and one new file of a save.
const std::regex kTargetAndNewFile(R"(\.target\.[a-z0-9]{6} target)");

TEST(SaveLeftovers, AKilledSavesNewFileIsRemovedByTheNextSave)
{
    for (const char* kind : {"ini", "xml"}) {
        SCOPED_TRACE(kind);
        SavedDocument doc(kind);
        TempDir dir;
        const std::string path = dir.Path("target");
        WriteBytes(path, "old");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            g_sys.write = [](int, const void*, size_t) -> ssize_t {
                std::raise(SIGKILL);
                return -1;
            };
            doc.Save(path);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_TRUE(std::regex_match(Listing(dir.Root()), kTargetAndNewFile)) << Listing(dir.Root());
        EXPECT_EQ(doc.Save(path), 1);
        EXPECT_EQ(Listing(dir.Root()), "target");
    }
}

TEST(SaveLeftovers, ASaveRunningInAnotherThreadKeepsItsNewFile)
{
    SavedDocument first("ini");
    SavedDocument second("xml");
    TempDir dir;
    const std::string path = dir.Path("target");
    WriteBytes(path, "old");
    Gate gate;
    RealCallsAfterwards restore;
    g_gate = &gate;
    g_sys.write = WriteAfterGate;
    int firstResult = 0;
    DWORD firstError = kUntouchedError;
    std::thread saver([&] {
        t_stopsAtGate = true;
        firstResult = first.Save(path);
        firstError = GetLastError();
    });
    gate.AwaitArrival();
    EXPECT_EQ(second.Save(path), 1);  // while the first waits with its new file open
    EXPECT_TRUE(std::regex_match(Listing(dir.Root()), kTargetAndNewFile)) << Listing(dir.Root());
    gate.Open();
    saver.join();
    EXPECT_EQ(Results({firstResult, firstError}), Results({1, NO_ERROR}));
    EXPECT_EQ(Listing(dir.Root()), "target");
    EXPECT_NE(ReadBytes(path).find("[S]"), std::string::npos);  // the INI text, saved last
}

// --- A handle closed under a call ----------------------------------------------

ssize_t ReadAfterGate(int fd, void* buffer, size_t count)
{
    PassGate();
    return RealSysCalls().read(fd, buffer, count);
}

TEST(HandleTable, AReadUnderWayKeepsItsFileWhenTheHandleIsClosed)
{
    TempDir dir;
    WriteBytes(dir.Path("a"), "AAA");
    WriteBytes(dir.Path("b"), "BBB");
    const HANDLE a =
        CreateFileA(dir.Path("a").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(a, INVALID_HANDLE_VALUE);
    Gate gate;
    RealCallsAfterwards restore;
    g_gate = &gate;
    g_sys.read = ReadAfterGate;
    char got[4] = {};
    std::thread reader([&] {
        t_stopsAtGate = true;
        DWORD read = 0;
        ReadFile(a, got, 3, &read, nullptr);
    });
    gate.AwaitArrival();
    // Closed under the read, and another file opened, which takes the
    // lowest descriptor numbers free.
    EXPECT_EQ(CloseHandle(a), TRUE);
    const HANDLE b =
        CreateFileA(dir.Path("b").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    gate.Open();
    reader.join();
    EXPECT_EQ(std::string(got), "AAA");
    EXPECT_EQ(CloseHandle(b), TRUE);
}

}  // namespace
