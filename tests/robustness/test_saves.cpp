// Saves that must not lose data: failing system calls, files held by
// handles, files left by ended saves, killed and concurrent saves, and a
// handle closed under a read. The cases are the lines of
// tests/data/robustness/saves.txt; the faults and waits are made through
// the POSIX call table, so those lines run where the table is.
#include <filekit/Win32.h>
#include <filekit/XMLParserWrapper.h>

#include "robustness/Cases.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <set>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <future>
#include <thread>
#endif

namespace {

using namespace filekit_test;

// Save of an INI model or an XML document of about 200 KB (several buffers
// of the text writer), with the result its class gives.
std::function<int(const std::string&)> Document(const std::string& kind)
{
    const std::string value(200, 'n');
    if (kind == "ini") {
        auto ini = std::make_shared<CINIFile>();
        ini->Open();
        ini->AddNewSection("S", nullptr);
        for (int key = 0; key < 1000; ++key)
            ini->AddNewKey("S", ("k" + std::to_string(key)).c_str(), value.c_str(), nullptr);
        return [ini](const std::string& path) { return ini->Save(path.c_str()); };
    }
    auto xml = std::make_shared<CXMLParserWrapper>();
    XMLSDK::CXMLNode root;
    xml->Open();
    xml->CreateRootNode("doc", &root);
    for (int i = 0; i < 1000; ++i) CXMLParserWrapper::AddNewNode(root, "item", value.c_str(), nullptr);
    return [xml](const std::string& path) { return xml->Save(path.c_str()); };
}

HANDLE Hold(const std::string& path, DWORD access, DWORD share)
{
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The folder's entries, sorted; a save's new file ".target.XXXXXX" shows as ".target.*".
std::string Listing(const TempDir& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Root()))
        names.insert(entry.path().filename().string());
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
    return std::regex_replace(joined, std::regex(R"(^\.target\.[a-z0-9]{6}(?= |$))"), ".target.*");
}

// The calls a line makes fail: "name#n" (the n-th call of that name since
// the save began) -> the errno name; and the calls counted.
std::map<std::string, std::string> g_faults;
std::map<std::string, int> g_counts;

#ifndef _WIN32
using filekit::g_sys;
using filekit::RealSysCalls;

bool Fails(const std::string& call)
{
    static const std::map<std::string, int> errnos = {
        {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT}, {"EROFS", EROFS}, {"ENAMETOOLONG", ENAMETOOLONG},
        {"EIO", EIO},       {"EACCES", EACCES}, {"EPERM", EPERM}, {"ENOLCK", ENOLCK}};
    const auto fault = g_faults.find(call + "#" + std::to_string(++g_counts[call]));
    return fault != g_faults.end() && (errno = errnos.at(fault->second), true);
}

filekit::SysCalls FaultyCalls()
{
    filekit::SysCalls calls = RealSysCalls();
    calls.open = [](const char* p, int f, mode_t m) { return Fails("open") ? -1 : RealSysCalls().open(p, f, m); };
    calls.write = [](int fd, const void* p, size_t n) { return Fails("write") ? -1 : RealSysCalls().write(fd, p, n); };
    calls.fsync = [](int fd) { return Fails("fsync") ? -1 : RealSysCalls().fsync(fd); };
    calls.close = [](int fd) { return std::min(RealSysCalls().close(fd), Fails("close") ? -1 : 0); };  // closed anyway
    calls.rename = [](const char* a, const char* b) { return Fails("rename") ? -1 : RealSysCalls().rename(a, b); };
    calls.flock = [](int fd, int operation) { return Fails("flock") ? -1 : RealSysCalls().flock(fd, operation); };
    return calls;
}

// The faults of g_faults made from now on, or no more.
void Faulty(bool on)
{
    g_sys = on ? FaultyCalls() : RealSysCalls();
    g_counts.clear();
    if (!on) g_faults.clear();
}

// A hooked call made by the thread that set t_waits waits there once: it
// tells the test it arrived, and goes on when the test releases it.
std::promise<void> g_arrived, g_release;
thread_local bool t_waits = false;

void Wait()
{
    if (!t_waits) return;
    t_waits = false;
    g_arrived.set_value();
    g_release.get_future().wait();
}

// Runs action in a thread whose first hooked call waits while between runs.
void Paused(const std::function<void()>& action, const std::function<void()>& between)
{
    g_arrived = {};
    g_release = {};
    std::future<void> arrived = g_arrived.get_future();
    std::thread worker([&] { t_waits = true, action(); });
    arrived.wait();
    between();
    g_release.set_value();
    worker.join();
    g_sys = RealSysCalls();
}
#else
void Faulty(bool) {}  // no call table to fault: the fault lines are for POSIX only
#endif

// "ini-save|xml-save [call#n=ERRNO|share=BITS|left=NAME|held=NAME]..." over a file holding "old".
std::string Save(const std::string& kind, const Args& args)
{
    // clang-format off
    static const std::map<DWORD, std::string> errors = {{NO_ERROR, "NO_ERROR"}, {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"}, {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
        {ERROR_FILENAME_EXCED_RANGE, "ERROR_FILENAME_EXCED_RANGE"}, {ERROR_IO_DEVICE, "ERROR_IO_DEVICE"}};
    // clang-format on
    auto save = Document(kind);
    TempDir dir;
    const std::string path = dir.Path("target");
    const std::string saved = (save(path), ReadBytes(path));
    WriteBytes(path, "old");
    std::vector<HANDLE> held;
    for (const std::string& arg : args) {
        const std::string name = arg.substr(0, arg.find('=')), value = arg.substr(arg.find('=') + 1);
        if (name == "share")
            held.push_back(Hold(path, GENERIC_READ, static_cast<DWORD>(std::stoul(value))));
        else if (name == "left" || name == "held")
            WriteBytes(dir.Path(value), "left");
        else
            g_faults[name] = value;
        if (name == "held") held.push_back(Hold(dir.Path(value), GENERIC_WRITE, 0));
    }
    Faulty(true);
    SetLastError(4242);  // no save sets it so: one left untouched shows
    const int result = save(path);
    const DWORD error = GetLastError();
    Faulty(false);
    for (const HANDLE handle : held) CloseHandle(handle);
    const std::string bytes = ReadBytes(path), file = bytes == "old" ? "old" : bytes == saved ? "new" : "cut";
    return std::to_string(result) + " " + file + " " + Listing(dir) + " " +
           (errors.count(error) ? errors.at(error) : std::to_string(error));
}

const Commands kCommands = {
    {"ini-save", [](const Args& args) { return Save("ini", args); }},
    {"xml-save", [](const Args& args) { return Save("xml", args); }},
#ifndef _WIN32
    {"killed",
     [](const Args& args) {  // KIND: a save killed in its first write, then one that completes
         auto save = Document(args[0]);
         TempDir dir;
         const std::string path = dir.Path("target");
         WriteBytes(path, "old");
         const pid_t child = fork();
         if (child == 0) {
             g_sys.write = [](int, const void*, size_t) -> ssize_t { return std::raise(SIGKILL); };
             _exit(save(path));
         }
         int status = 0;
         const bool killed = waitpid(child, &status, 0) == child && WIFSIGNALED(status);
         const std::string afterKill = killed ? Listing(dir) : "not killed";
         const int result = save(path);
         return afterKill + " " + std::to_string(result) + " " + Listing(dir);
     }},
    {"concurrent",
     [](const Args&) {  // an INI save waits in its first write while an XML save of the target runs
         auto first = Document("ini"), second = Document("xml");
         TempDir dir;
         const std::string path = dir.Path("target");
         WriteBytes(path, "old");
         std::string during, firstResult;
         g_sys.write = [](int fd, const void* p, size_t n) { return Wait(), RealSysCalls().write(fd, p, n); };
         // The INI save's result and last error read in order, as a braced list is evaluated.
         const auto saveFirst = [&] { firstResult = Results({first(path), GetLastError()}); };
         Paused(saveFirst, [&] { during = std::to_string(second(path)), during += " " + Listing(dir); });
         return during + " " + firstResult + " " + Listing(dir) + " " + ReadBytes(path).substr(0, 3);
     }},
    {"closed-under-read",
     [](const Args&) {  // a read waits while its handle is closed and another file opened
         TempDir dir;
         WriteBytes(dir.Path("a"), "AAA");
         WriteBytes(dir.Path("b"), "BBB");
         const HANDLE a = Hold(dir.Path("a"), GENERIC_READ, FILE_SHARE_READ);
         HANDLE b = INVALID_HANDLE_VALUE;
         char got[4] = {};
         DWORD read = 0;
         BOOL closed = FALSE;
         g_sys.read = [](int fd, void* p, size_t n) { return Wait(), RealSysCalls().read(fd, p, n); };
         Paused([&] { ReadFile(a, got, 3, &read, nullptr); },
                [&] { closed = CloseHandle(a), b = Hold(dir.Path("b"), GENERIC_READ, FILE_SHARE_READ); });
         return std::string(got) + " " + Results({closed, CloseHandle(b)});
     }},
#endif
};

TEST(Saves, Cases) { RunCases("robustness", "saves.txt", kCommands); }

}  // namespace
