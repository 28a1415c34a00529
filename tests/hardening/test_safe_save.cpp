// Crash-safe saves of every family that replaces files whole: a save killed
// at any step, or failing at any step, leaves the old file; permission bits,
// owners and links are kept; devices and FIFOs are written in place.
#include "hardening/SaveFamilies.h"
#include "platform/posix/Syscalls.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <thread>

namespace {

using filekit::g_sys;
using filekit::RealSysCalls;
using filekit::SysCalls;
using namespace filekit_test;

// Restores the real calls when a test ends, whatever it replaced.
struct RealCallsAfterwards {
    ~RealCallsAfterwards() { g_sys = RealSysCalls(); }
};

// --- Killed saves ------------------------------------------------------------

// Every call of the OS layer has a kill point before and one after it.
int g_killAt = 0;  // the point at which the process kills itself; 0: none
int g_points = 0;  // points passed so far

void KillPoint()
{
    if (++g_points == g_killAt) std::raise(SIGKILL);
}

template <auto Field, typename R, typename... A>
R KilledAround(A... args)
{
    KillPoint();
    const R result = (RealSysCalls().*Field)(args...);
    KillPoint();
    return result;
}

template <auto Field, typename R, typename... A>
void KillAround(SysCalls& calls, R (*SysCalls::*)(A...))
{
    calls.*Field = &KilledAround<Field, R, A...>;
}

template <auto... Fields>
SysCalls KillingAround()
{
    SysCalls calls = RealSysCalls();
    (KillAround<Fields>(calls, Fields), ...);
    return calls;
}

SysCalls KillingCalls()
{
    return KillingAround<&SysCalls::open, &SysCalls::close, &SysCalls::write, &SysCalls::fstat, &SysCalls::fsync,
                         &SysCalls::lstat, &SysCalls::readlink, &SysCalls::fchmod, &SysCalls::fchown, &SysCalls::rename,
                         &SysCalls::unlink>();
}

// Big enough for the save to take many writes of the text writer's buffer.
constexpr size_t kLargeSaveBytes = size_t{512} * 1024;
// Under Valgrind each killed child runs many times slower: a sample of the
// points, drawn with a fixed seed, stands in for all of them there.
constexpr size_t kSampledKillPoints = 12;
constexpr unsigned kKillSampleSeed = 20240229;

// The points to kill at: all of them, or under memcheck the first, the
// last and a sample of the rest, in order.
std::vector<int> KillPoints(int points)
{
    std::vector<int> chosen(static_cast<size_t>(points));
    std::iota(chosen.begin(), chosen.end(), 1);
    if (!std::getenv("FILEKIT_UNDER_MEMCHECK") || chosen.size() <= kSampledKillPoints) return chosen;
    std::mt19937 random(kKillSampleSeed);  // NOLINT(cert-msc51-cpp): the same sample on every run
    std::shuffle(chosen.begin() + 1, chosen.end() - 1, random);
    std::swap(chosen[kSampledKillPoints - 1], chosen.back());
    chosen.resize(kSampledKillPoints);
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

TEST(SafeSave, KilledAtEveryStepLeavesTheOldOrTheNewFile)
{
    for (const SaveFamily& family : SaveFamilies()) {
        SCOPED_TRACE(family.name);
        const auto oldDoc = family.make(kLargeSaveBytes / 2, 'o');
        const auto newDoc = family.make(kLargeSaveBytes, 'n');
        const std::string oldBytes = SavedBytes(*oldDoc);
        const std::string newBytes = SavedBytes(*newDoc);
        TempDir dir;
        const std::string path = dir.Path("target");

        // Count the points of one whole save over the old file.
        WriteBytes(path, oldBytes);
        {
            RealCallsAfterwards restore;
            g_sys = KillingCalls();
            g_points = g_killAt = 0;
            ASSERT_EQ(newDoc->Save(path), 1);
        }
        const int points = g_points;
        ASSERT_EQ(FolderView(dir.Root(), oldBytes, newBytes), "target: new\n");

        // Kill a child at each point in turn: the old file up to the rename,
        // the new one after it, and never anything else.
        std::string outcomes;
        for (const int point : KillPoints(points)) {
            WriteBytes(path, oldBytes);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                g_sys = KillingCalls();
                g_points = 0;
                g_killAt = point;
                newDoc->Save(path);
                _exit(0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "point " << point;
            const std::string content = ReadBytes(path);
            outcomes += content == oldBytes ? 'o' : content == newBytes ? 'n' : '?';
            // A killed save may leave its hidden new file, and nothing else.
            for (const auto& entry : std::filesystem::directory_iterator(dir.Root())) {
                const std::string name = entry.path().filename().string();
                if (name == "target") continue;
                EXPECT_EQ(name.rfind(".target.", 0), 0u) << name;
                std::filesystem::remove(entry.path());
            }
        }
        const size_t firstNew = outcomes.find('n');
        ASSERT_NE(firstNew, std::string::npos) << outcomes;
        EXPECT_EQ(outcomes, std::string(firstNew, 'o') + std::string(outcomes.size() - firstNew, 'n'));
        EXPECT_GT(firstNew, 0u) << outcomes;
    }
}

// --- Failing and refused steps -------------------------------------------------

enum class Fault { kWrite, kShortWrite, kFileSync, kClose, kRename, kTargetBecomesFolder, kFolderSync };

Fault g_fault;
size_t g_writeBudget = 0;  // bytes a failing write lets through first

bool IsFolder(int fd)
{
    struct stat info {};
    return RealSysCalls().fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

SysCalls FailingCalls(Fault fault)
{
    g_fault = fault;
    g_writeBudget = 100000;
    SysCalls calls = RealSysCalls();
    calls.write = [](int fd, const void* data, size_t count) -> ssize_t {
        if (g_fault == Fault::kWrite || (g_fault == Fault::kShortWrite && g_writeBudget == 0)) {
            errno = ENOSPC;
            return -1;
        }
        if (g_fault == Fault::kShortWrite) count = std::min(count, g_writeBudget);
        const ssize_t written = RealSysCalls().write(fd, data, count);
        if (g_fault == Fault::kShortWrite && written > 0) g_writeBudget -= static_cast<size_t>(written);
        return written;
    };
    calls.fsync = [](int fd) {
        if (g_fault == (IsFolder(fd) ? Fault::kFolderSync : Fault::kFileSync)) {
            errno = EIO;
            return -1;
        }
        return RealSysCalls().fsync(fd);
    };
    calls.close = [](int fd) {
        const int result = RealSysCalls().close(fd);
        if (g_fault != Fault::kClose) return result;
        errno = EIO;  // as a network file system reports a failed flush
        return -1;
    };
    calls.rename = [](const char* from, const char* to) {
        if (g_fault == Fault::kRename) {
            errno = EIO;
            return -1;
        }
        if (g_fault == Fault::kTargetBecomesFolder) {
            std::filesystem::remove(to);
            std::filesystem::create_directory(to);
        }
        return RealSysCalls().rename(from, to);
    };
    return calls;
}

// Tests run as root, whom permission bits do not stop: refusals are made
// through the OS layer instead.
enum class Refusal { kNewFilesInFolder, kWritingTheFile, kAnyWrite, kPermissionBits };
Refusal g_refusal;
std::string g_target;

SysCalls RefusingCalls(Refusal refusal, const std::string& target)
{
    g_refusal = refusal;
    g_target = target;
    SysCalls calls = RealSysCalls();
    calls.open = [](const char* path, int flags, mode_t mode) {
        const bool writes = (flags & O_ACCMODE) != O_RDONLY;
        const bool createsEntry = (flags & O_CREAT) && access(path, F_OK) != 0;
        if ((g_refusal == Refusal::kNewFilesInFolder && createsEntry) ||
            (g_refusal == Refusal::kWritingTheFile && writes && path == g_target)) {
            errno = EACCES;
            return -1;
        }
        if (g_refusal == Refusal::kAnyWrite && writes) {
            errno = EROFS;
            return -1;
        }
        return RealSysCalls().open(path, flags, mode);
    };
    calls.fchmod = [](int fd, mode_t mode) {
        if (g_refusal != Refusal::kPermissionBits) return RealSysCalls().fchmod(fd, mode);
        errno = EPERM;
        return -1;
    };
    return calls;
}

TEST(SafeSave, FailingOrRefusedStepKeepsTheOldFileAndLeavesNothingBehind)
{
    constexpr int kAsAWriteError = -1;  // the family's result after a failed write
    struct Row {
        const char* what;
        std::function<SysCalls(const std::string& target)> calls;
        bool fileExists;
        int result;
        const char* view;  // the folder afterwards
        int inPlace;  // 1: the file keeps its inode, 0: replaced, -1: either (a new folder may reuse it)
    };
    const auto failing = [](Fault fault) { return [fault](const std::string&) { return FailingCalls(fault); }; };
    const auto refusing = [](Refusal refusal) {
        return [refusal](const std::string& target) { return RefusingCalls(refusal, target); };
    };
    const Row rows[] = {
        {"disk full at once", failing(Fault::kWrite), true, kAsAWriteError, "target: old\n", 1},
        {"disk full halfway", failing(Fault::kShortWrite), true, kAsAWriteError, "target: old\n", 1},
        {"file sync fails", failing(Fault::kFileSync), true, kAsAWriteError, "target: old\n", 1},
        {"close reports a lost write", failing(Fault::kClose), true, kAsAWriteError, "target: old\n", 1},
        {"rename fails", failing(Fault::kRename), true, kAsAWriteError, "target: old\n", 1},
        {"target turned into a folder", failing(Fault::kTargetBecomesFolder), true, kAsAWriteError, "target/\n", -1},
        {"folder sync refused", failing(Fault::kFolderSync), true, 1, "target: new\n", 0},
        {"read-only folder, writable file: written in place", refusing(Refusal::kNewFilesInFolder), true, 1,
         "target: new\n", 1},
        {"read-only folder, no file yet", refusing(Refusal::kNewFilesInFolder), false, 0, "", 0},
        {"read-only file in a writable folder", refusing(Refusal::kWritingTheFile), true, 0, "target: old\n", 1},
        {"read-only file system", refusing(Refusal::kAnyWrite), true, 0, "target: old\n", 1},
        {"bits cannot be copied: written in place", refusing(Refusal::kPermissionBits), true, 1, "target: new\n", 1},
    };
    for (const SaveFamily& family : SaveFamilies()) {
        const auto doc = family.make(300000, 'n');
        const std::string newBytes = SavedBytes(*doc);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(family.name) + ": " + row.what);
            TempDir dir;
            const std::string path = dir.Path("target");
            if (row.fileExists) WriteBytes(path, "old");
            const ino_t before = InodeOf(path);
            int result;
            {
                RealCallsAfterwards restore;
                g_sys = row.calls(path);
                result = doc->Save(path);
            }
            EXPECT_EQ(result, row.result == kAsAWriteError ? family.resultAfterWriteError : row.result);
            EXPECT_EQ(FolderView(dir.Root(), "old", newBytes), row.view);
            if (row.fileExists && row.inPlace >= 0) {
                EXPECT_EQ(InodeOf(path) == before, row.inPlace == 1);
            }
        }
    }
}

// --- Permission bits, owners, links ------------------------------------------

TEST(SafeSave, KeepsPermissionBitsAndOwner)
{
    const mode_t modes[] = {0600, 0640, 0604, 0755, 0444, 02750, 04711};
    const bool root = geteuid() == 0;
    for (const SaveFamily& family : SaveFamilies()) {
        const auto doc = family.make(1000, 'n');
        const std::string newBytes = SavedBytes(*doc);
        for (const mode_t mode : modes) {
            if (!root && !(mode & S_IWUSR)) continue;  // a read-only file stops everyone else
            char octal[16];
            std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(mode));
            SCOPED_TRACE(std::string(family.name) + " mode " + octal);
            TempDir dir;
            const std::string path = dir.Path("target");
            WriteBytes(path, "old");
            // Root may give the file away; the save must give it back.
            const uid_t owner = root ? 4321 : geteuid();
            const gid_t group = root ? 4322 : getegid();
            ASSERT_EQ(chown(path.c_str(), owner, group), 0);
            ASSERT_EQ(chmod(path.c_str(), mode), 0);
            const ino_t before = InodeOf(path);
            const int saved = doc->Save(path);
            struct stat info {};
            // Replaced, not rewritten: a new inode with the old bits and owner.
            EXPECT_EQ(Results({saved, lstat(path.c_str(), &info), info.st_mode, info.st_uid, info.st_gid,
                               info.st_ino != before}),
                      Results({1, 0, S_IFREG | mode, owner, group, 1}));
            EXPECT_EQ(FolderView(dir.Root(), "old", newBytes), "target: new\n");
        }
        // A new file gets the bits a plain create gives.
        TempDir dir;
        const mode_t mask = umask(022);
        umask(mask);
        struct stat info {};
        EXPECT_EQ(Results({doc->Save(dir.Path("fresh")), lstat(dir.Path("fresh").c_str(), &info), info.st_mode}),
                  Results({1, 0, S_IFREG | (0666 & ~mask)}));
    }
}

TEST(SafeSave, SymbolicLinksStayLinksAndTheirTargetIsReplaced)
{
    struct Row {
        const char* what;
        std::vector<std::pair<const char*, const char*>> links;  // in links/, name -> target
        const char* view;  // of the whole folder afterwards
    };
    const Row rows[] = {
        {"relative", {{"t", "../real/t.ini"}}, "links/\nlinks/t -> ../real/t.ini\nreal/\nreal/t.ini: new\n"},
        {"absolute", {{"t", "@/real/t.ini"}}, "links/\nlinks/t -> @/real/t.ini\nreal/\nreal/t.ini: new\n"},
        {"chain",
         {{"t", "u"}, {"u", "../real/t.ini"}},
         "links/\nlinks/t -> u\nlinks/u -> ../real/t.ini\nreal/\nreal/t.ini: new\n"},
        {"dangling",
         {{"t", "../real/missing.ini"}},
         "links/\nlinks/t -> ../real/missing.ini\nreal/\nreal/missing.ini: new\nreal/t.ini: old\n"},
    };
    for (const SaveFamily& family : SaveFamilies()) {
        const auto doc = family.make(1000, 'n');
        const std::string newBytes = SavedBytes(*doc);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(family.name) + ": " + row.what);
            TempDir dir;
            const std::string root = dir.Root().string();
            std::filesystem::create_directory(dir.Path("real"));
            std::filesystem::create_directory(dir.Path("links"));
            WriteBytes(dir.Path("real/t.ini"), "old");
            const auto rooted = [&root](std::string text) {
                for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, root);
                return text;
            };
            for (const auto& [name, target] : row.links)
                std::filesystem::create_symlink(rooted(target), dir.Path(std::string("links/") + name));
            EXPECT_EQ(doc->Save(dir.Path("links/t")), 1);
            EXPECT_EQ(FolderView(dir.Root(), "old", newBytes), rooted(row.view));
        }
    }
}

// --- Devices and FIFOs ---------------------------------------------------------

// Renames are recorded and never allowed onto a device: a fault here must
// not be able to replace /dev/null on the machine running the tests.
std::vector<std::string> g_renames;

SysCalls RecordingRenames()
{
    g_renames.clear();
    SysCalls calls = RealSysCalls();
    calls.rename = [](const char* from, const char* to) {
        g_renames.emplace_back(to);
        if (std::string(to).rfind("/dev/", 0) == 0) {
            errno = EPERM;
            return -1;
        }
        return RealSysCalls().rename(from, to);
    };
    return calls;
}

bool IsCharacterDevice(const char* path)
{
    struct stat info {};
    return lstat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

TEST(SafeSave, DevicesAndFifosAreWrittenInPlace)
{
    for (const SaveFamily& family : SaveFamilies()) {
        SCOPED_TRACE(family.name);
        const auto doc = family.make(200000, 'n');  // more than a pipe holds
        const std::string newBytes = SavedBytes(*doc);
        {
            RealCallsAfterwards restore;
            g_sys = RecordingRenames();
            EXPECT_EQ(doc->Save("/dev/null"), 1);
            EXPECT_EQ(doc->Save("/dev/full"), family.resultAfterWriteError);
            EXPECT_TRUE(g_renames.empty());
            EXPECT_TRUE(IsCharacterDevice("/dev/null") && IsCharacterDevice("/dev/full"));
        }
        TempDir dir;
        const std::string path = dir.Path("fifo");
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        std::string received;
        std::thread reader([&] { received = ReadBytes(path); });
        EXPECT_EQ(doc->Save(path), 1);
        reader.join();
        EXPECT_TRUE(received == newBytes);
        struct stat info {};
        EXPECT_TRUE(lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));  // still the FIFO, alone
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 1);
    }
}

}  // namespace
