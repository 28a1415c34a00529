// The Win32 file functions: dispositions, access rights, share modes,
// 64-bit positions, invalid handles and provoked system failures.
//
// The same cases run against our POSIX emulation and, in the Windows build,
// against the system's own Win32 (wine's under test): every difference
// between the two is a fault in the emulation.
#include <filekit/Win32.h>

#include "support/TempDir.h"
#include "support/Wine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <string>

namespace {

using filekit_test::Exists;
using filekit_test::ReadBytes;
using filekit_test::TempDir;
using filekit_test::WriteBytes;

constexpr DWORD kUnset = 0xDEADBEEF;  // last-error value that no call sets
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What one CreateFileA call did: opened or not, the last error, and the
// file's content afterwards ("-" when there is no file).
std::string Outcome(const std::string& path, HANDLE h, DWORD error)
{
    const std::string opened = h != INVALID_HANDLE_VALUE ? "opened" : "refused";
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return opened + " error " + std::to_string(error) + " content " + (Exists(path) ? ReadBytes(path) : "-");
}

TEST(CreateFileA, DispositionTable)
{
    struct Row {
        DWORD disposition;
        bool exists;
        std::string outcome;
    };
    const Row rows[] = {
        {CREATE_NEW, true, "refused error 80 content old"},  // ERROR_FILE_EXISTS
        {CREATE_NEW, false, "opened error 0 content "},
        {CREATE_ALWAYS, true, "opened error 183 content "},  // ERROR_ALREADY_EXISTS
        {CREATE_ALWAYS, false, "opened error 0 content "},
        {OPEN_EXISTING, true, "opened error 0 content old"},
        {OPEN_EXISTING, false, "refused error 2 content -"},  // ERROR_FILE_NOT_FOUND
        {OPEN_ALWAYS, true, "opened error 183 content old"},
        {OPEN_ALWAYS, false, "opened error 0 content "},
        {TRUNCATE_EXISTING, true, "opened error 0 content "},
        {TRUNCATE_EXISTING, false, "refused error 2 content -"},
    };
    // The handle's access changes none of this: even a handle that may not
    // write empties the file when the disposition says so.
    const DWORD accesses[] = {GENERIC_READ | GENERIC_WRITE, GENERIC_READ, GENERIC_WRITE, 0};
    for (const Row& r : rows) {
        for (const DWORD access : accesses) {
            TempDir dir;
            const std::string path = dir.Path("f");
            if (r.exists) WriteBytes(path, "old");
            SetLastError(kUnset);
            const HANDLE h = Open(path, access, 0, r.disposition);
            EXPECT_EQ(Outcome(path, h, GetLastError()), r.outcome)
                << "disposition " << r.disposition << (r.exists ? " on an existing file" : " on a missing file")
                << ", access " << std::hex << access;
        }
    }
}

TEST(CreateFileA, BadNamesAndArguments)
{
    TempDir dir;
    struct Row {
        const char* name;
        DWORD disposition;
        DWORD access;
        DWORD error;
    };
    const std::string missingFolder = dir.Path("no/such/file");
    const std::string folder = dir.Path("");
    const Row rows[] = {
        {nullptr, OPEN_EXISTING, GENERIC_READ, ERROR_PATH_NOT_FOUND},
        {"", OPEN_EXISTING, GENERIC_READ, ERROR_PATH_NOT_FOUND},
        {missingFolder.c_str(), OPEN_EXISTING, GENERIC_READ, ERROR_PATH_NOT_FOUND},
        {missingFolder.c_str(), CREATE_ALWAYS, GENERIC_WRITE, ERROR_PATH_NOT_FOUND},
        {folder.c_str(), OPEN_EXISTING, GENERIC_READ, ERROR_ACCESS_DENIED},
        {folder.c_str(), OPEN_ALWAYS, GENERIC_WRITE, ERROR_ACCESS_DENIED},
        {folder.c_str(), 0, GENERIC_READ, ERROR_INVALID_PARAMETER},
        {folder.c_str(), 6, GENERIC_READ, ERROR_INVALID_PARAMETER},
        {folder.c_str(), TRUNCATE_EXISTING, GENERIC_READ, ERROR_ACCESS_DENIED},
    };
    for (const Row& r : rows) {
        SetLastError(kUnset);
        const HANDLE h = CreateFileA(r.name, r.access, 0, nullptr, r.disposition, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << (r.name ? r.name : "(null)");
        EXPECT_EQ(GetLastError(), r.error) << (r.name ? r.name : "(null)") << " " << r.disposition;
    }
}

TEST(CreateFileA, NamesEndingInASeparatorNameFolders)
{
    TempDir dir;
    WriteBytes(dir.Path("file"), "x");
    std::filesystem::create_directory(dir.Path("folder"));
    // The last error for each disposition, from CREATE_NEW to
    // TRUNCATE_EXISTING; no call opens anything.
    struct Row {
        std::string name;
        std::string errors;
    };
    const Row rows[] = {
        {"file/", "80 123 123 123 123"},  // ERROR_FILE_EXISTS, then ERROR_INVALID_NAME
        {"file//", "80 123 123 123 123"},
        {"missing/", "123 123 2 123 2"},  // ERROR_INVALID_NAME, ERROR_FILE_NOT_FOUND
        {"no-folder/missing/", "3 3 3 3 3"},  // ERROR_PATH_NOT_FOUND
        {"file/child/", "3 3 3 3 3"},
        {"folder/", "80 5 5 5 5"},  // ERROR_ACCESS_DENIED, as for every folder
        {"folder//", "80 5 5 5 5"},
    };
    for (const Row& r : rows) {
        std::string errors;
        for (DWORD disposition = CREATE_NEW; disposition <= TRUNCATE_EXISTING; ++disposition) {
            SetLastError(kUnset);
            const HANDLE h = Open(dir.Path(r.name), GENERIC_READ | GENERIC_WRITE, 0, disposition);
            errors += (errors.empty() ? "" : " ") + std::to_string(GetLastError());
            if (h != INVALID_HANDLE_VALUE) {
                errors += " opened";
                CloseHandle(h);
            }
        }
        EXPECT_EQ(errors, r.errors) << r.name;
    }
    EXPECT_EQ(ReadBytes(dir.Path("file")), "x");
}

// "1" for a call that succeeded, else "0/" and the last error; a check
// that wine answers differently (see below) reads "0/?" there.
std::string Ok(BOOL ok, bool wineDiffers = false)
{
    if (ok) return "1";
    return "0/" + (wineDiffers && filekit_test::RunningUnderWine() ? "?" : std::to_string(GetLastError()));
}

std::string Join(std::initializer_list<std::string> parts)
{
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : " ") + part;
    return joined;
}

TEST(AccessRights, HandlesRefuseWhatTheyWereNotOpenedFor)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    WriteBytes(path, "abc");
    char buffer[8] = {};
    DWORD count = 99;
    const auto read = [&](HANDLE h) { return Ok(ReadFile(h, buffer, sizeof buffer, &count, nullptr)); };
    const auto write = [&](HANDLE h, const char* text) {
        count = 99;
        const std::string ok = Ok(WriteFile(h, text, static_cast<DWORD>(std::strlen(text)), &count, nullptr));
        return ok + ":" + std::to_string(count);
    };

    const HANDLE reader = Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
    // Win32 checks the handle's write access first in SetEndOfFile; wine
    // gives ERROR_INVALID_HANDLE or ERROR_INVALID_PARAMETER instead.
    EXPECT_EQ(Join({write(reader, "x"), Ok(SetEndOfFile(reader), true), Ok(FlushFileBuffers(reader)), read(reader),
                    std::string(buffer, count), Ok(CloseHandle(reader))}),
              std::string("0/5:0 ") + (filekit_test::RunningUnderWine() ? "0/?" : "0/5") + " 0/5 1 abc 1");
    const HANDLE writer = Open(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    EXPECT_EQ(Join({read(writer), write(writer, "xy"), Ok(SetEndOfFile(writer)), Ok(FlushFileBuffers(writer)),
                    Ok(CloseHandle(writer)), ReadBytes(path)}),
              "0/5 1:2 1 1 1 xy");
    // A handle that may only append writes at the end, wherever it points.
    const HANDLE appender = Open(path, FILE_APPEND_DATA, kShareAll, OPEN_EXISTING);
    EXPECT_EQ(Join({std::to_string(SetFilePointer(appender, 0, nullptr, FILE_BEGIN)), write(appender, "z"),
                    read(appender), Ok(CloseHandle(appender)), ReadBytes(path)}),
              "0 1:1 0/5 1 xyz");
    // A handle without data access may only look at the size and position.
    const HANDLE looker = Open(path, 0, kShareAll, OPEN_EXISTING);
    EXPECT_EQ(Join({std::to_string(GetFileSize(looker, nullptr)),
                    std::to_string(SetFilePointer(looker, 2, nullptr, FILE_BEGIN)), read(looker), write(looker, "w"),
                    Ok(FlushFileBuffers(looker)), Ok(CloseHandle(looker))}),
              "3 2 0/5 0/5:0 0/5 1");

    // Null buffers: nothing to take from one of length 0.
    const HANDLE h = Open(dir.Path("g"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    SetLastError(kUnset);
    EXPECT_EQ(
        Join({Ok(WriteFile(h, nullptr, 0, &count, nullptr)), std::to_string(GetLastError() == kUnset),
              Ok(WriteFile(h, nullptr, 2, &count, nullptr)), std::to_string(count), write(h, "ab"),
              std::to_string(SetFilePointer(h, 0, nullptr, FILE_BEGIN)), Ok(ReadFile(h, nullptr, 0, &count, nullptr)),
              Ok(ReadFile(h, nullptr, 2, &count, nullptr)), std::to_string(count), Ok(CloseHandle(h))}),
        "1 1 0/" + std::to_string(ERROR_INVALID_USER_BUFFER) + " 0 1:2 0 1 0/" + std::to_string(ERROR_NOACCESS) +
            " 0 1");
}

TEST(ShareModes, ConflictTable)
{
    struct Row {
        DWORD access1, share1, access2, share2;
        bool secondOpens;
    };
    const DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = GENERIC_READ | GENERIC_WRITE;
    const DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SD = FILE_SHARE_DELETE;
    const Row rows[] = {
        {R, 0, R, kShareAll, false},  // share 0 admits nobody
        {R, kShareAll, R, 0, false},  // nor may a newcomer deny what is held
        {R, SR, R, SR, true},
        {R, SR, W, kShareAll, false},  // writing not shared
        {W, SR, R, SR, false},  // newcomer must share the held write
        {W, SW, W, SW, true},
        {RW, kShareAll, RW, kShareAll, true},
        {R, SR, R, SR | SW, true},
        {0, 0, RW, kShareAll, true},  // a handle without data access conflicts with nothing
        {RW, 0, 0, 0, true},
        {GENERIC_EXECUTE, SR, R, SR, true},  // execute counts as reading
        {GENERIC_EXECUTE, SR, W, kShareAll, false},
        {FILE_READ_DATA, SR, FILE_WRITE_DATA, kShareAll, false},
        {DELETE, kShareAll, R, kShareAll, false},  // deleting not shared
        {DELETE, kShareAll | SD, R, kShareAll, false},  // nor a newcomer deny it
        {DELETE, kShareAll | SD, R, kShareAll | SD, true},
        {R, kShareAll, DELETE, kShareAll | SD, false},
        {R, kShareAll | SD, DELETE, kShareAll, true},
        {GENERIC_ALL, kShareAll, R, kShareAll, false},  // all rights include deleting
        {GENERIC_ALL, kShareAll | SD, RW, kShareAll | SD, true},
    };
    for (const Row& r : rows) {
        TempDir dir;
        const std::string path = dir.Path("f");
        WriteBytes(path, "x");
        const HANDLE first = Open(path, r.access1, r.share1, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        SetLastError(kUnset);
        const HANDLE second = Open(path, r.access2, r.share2, OPEN_EXISTING);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, r.secondOpens)
            << r.access1 << "/" << r.share1 << " then " << r.access2 << "/" << r.share2;
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        } else {
            CloseHandle(second);
        }
        CloseHandle(first);
    }
}

TEST(ShareModes, ShareZeroBlocksUntilClosedAndRefusalChangesNothing)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    WriteBytes(path, "keep");
    const HANDLE first = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
    const HANDLE refused = Open(path, GENERIC_WRITE, kShareAll, CREATE_ALWAYS);
    const DWORD error = GetLastError();
    // A refused CREATE_ALWAYS must not have truncated the file (looked at
    // once the first handle is closed: Win32 lets nobody read it before).
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(Outcome(path, refused, error), "refused error 32 content keep");  // ERROR_SHARING_VIOLATION
    const HANDLE again = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(Outcome(path, again, GetLastError()), "opened error 183 content ");
}

TEST(Positions, SeekPastFourGigabytesOnASparseFileAndReadAtEnd)
{
    TempDir dir;
    const HANDLE h = Open(dir.Path("sparse"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LONG high = 1;
    DWORD count = 0, sizeHigh = 0;
    char c = 0;
    // A position with its high part, "low/high".
    const auto seek = [&](LONG low, LONG highPart, DWORD method) {
        high = highPart;
        const DWORD result = SetFilePointer(h, low, &high, method);
        return std::to_string(result) + "/" + std::to_string(high);
    };
    const auto size = [&] {
        const DWORD low = GetFileSize(h, &sizeHigh);
        return std::to_string(low) + "/" + std::to_string(sizeHigh);
    };
    EXPECT_EQ(Join({seek(5, 1, FILE_BEGIN), Ok(WriteFile(h, "z", 1, &count, nullptr)), size(),
                    seek(-1, 0, FILE_END),  // high part 0 with a negative low part is far ahead
                    seek(-1, -1, FILE_END),  // back to the written byte through a negative 64-bit distance
                    Ok(ReadFile(h, &c, 1, &count, nullptr)), std::string(1, c), Ok(ReadFile(h, &c, 1, &count, nullptr)),
                    std::to_string(count)}),  // at the end: 0 bytes, success
              "5/1 1 6/1 5/2 5/1 1 z 1 0");

    // A position or size whose low part is 0xFFFFFFFF is a success that the
    // last error (set to NO_ERROR) tells from a failure.
    const std::string all = std::to_string(INVALID_SET_FILE_POINTER);
    const auto error = [] {  // the last error, then kUnset again
        const DWORD last = GetLastError();
        SetLastError(kUnset);
        return std::to_string(last);
    };
    SetLastError(kUnset);
    EXPECT_EQ(Join({seek(-1, 0, FILE_BEGIN), error(), Ok(SetEndOfFile(h)), size(), error()}),
              all + "/0 0 1 " + all + "/0 0");
    // A failed move leaves the position where it was; truncation works at
    // the current position, also past 4 GiB.
    EXPECT_EQ(Join({seek(10, 0, FILE_BEGIN), std::to_string(SetFilePointer(h, -20, nullptr, FILE_CURRENT)), error(),
                    std::to_string(SetFilePointer(h, 0, nullptr, FILE_CURRENT)),
                    std::to_string(SetFilePointer(h, -10, nullptr, FILE_BEGIN)), error(),
                    std::to_string(SetFilePointer(h, 0, nullptr, 7)), error(), seek(2, 1, FILE_BEGIN),
                    Ok(SetEndOfFile(h)), size()}),
              "10/0 " + all + " " + std::to_string(ERROR_NEGATIVE_SEEK) + " 10 " + all + " " +
                  std::to_string(ERROR_NEGATIVE_SEEK) + " " + all + " " + std::to_string(ERROR_INVALID_PARAMETER) +
                  " 2/1 1 2/1");
    CloseHandle(h);
}

// "result/last error" for the call just made, then the last error is set
// to kUnset again for the next one.
std::string Call(long long result)
{
    const DWORD error = GetLastError();
    SetLastError(kUnset);
    return std::to_string(result) + "/" + std::to_string(error);
}

TEST(InvalidHandles, EveryFunctionAnswersWithTheWin32Failure)
{
    TempDir dir;
    const HANDLE closed = Open(dir.Path("f"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_TRUE(CloseHandle(closed));
    // Each function with what it gave back and left in the outputs it was
    // handed (a count is set to 0, a high part left alone), then CloseHandle.
    const std::string invalid = std::to_string(ERROR_INVALID_HANDLE), all = std::to_string(INVALID_FILE_SIZE);
    const std::string failures = "0/" + invalid + " 0 0/" + invalid + " 0 " + all + "/" + invalid + " 3 " + all + "/" +
                                 invalid + " 0/" + invalid + " 0/" + invalid + " ";
    // INVALID_HANDLE_VALUE is also the current process's pseudo-handle:
    // closing it succeeds and leaves the last error alone.
    for (const HANDLE h :
         {INVALID_HANDLE_VALUE, closed, static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(4000)}) {
        char buffer[4];
        DWORD count = 77, written = 77, sizeHigh = 9;
        LONG high = 3;
        SetLastError(kUnset);
        const std::string closing = h == INVALID_HANDLE_VALUE ? "1/" + std::to_string(kUnset) : "0/" + invalid;
        EXPECT_EQ(
            Join({Call(ReadFile(h, buffer, 4, &count, nullptr)), std::to_string(count),
                  Call(WriteFile(h, "ab", 2, &written, nullptr)), std::to_string(written),
                  Call(SetFilePointer(h, 0, &high, FILE_BEGIN)), std::to_string(high), Call(GetFileSize(h, &sizeHigh)),
                  Call(SetEndOfFile(h)), Call(FlushFileBuffers(h)), Call(CloseHandle(h))}),
            failures + closing)
            << h;
    }
}

// Only for the emulation: the other process is made with fork, the
// failures are provoked through its table of POSIX calls, and the devices
// are POSIX ones. On Windows the system's own functions are under test.
#ifndef _WIN32

// Restores the real system calls when a test has replaced some.
struct SysCallGuard {
    ~SysCallGuard() { filekit::g_sys = filekit::RealSysCalls(); }
};

TEST(ShareModes, AnotherProcessHoldingTheFileExclusivelyBlocksUs)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    WriteBytes(path, "x");
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const HANDLE h = Open(path, GENERIC_READ, 0, OPEN_EXISTING);
        const char flag = h != INVALID_HANDLE_VALUE ? '1' : '0';
        (void)!write(ready[1], &flag, 1);
        char wait;
        (void)!read(done[0], &wait, 1);
        _exit(0);
    }
    char flag = 0;
    ASSERT_EQ(read(ready[0], &flag, 1), 1);
    ASSERT_EQ(flag, '1');
    EXPECT_EQ(Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    ASSERT_EQ(write(done[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    const HANDLE h = Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}

TEST(SystemFailures, ShortWritesFullDisksAndDevices)
{
    SysCallGuard guard;
    TempDir dir;
    const std::string path = dir.Path("f");
    const HANDLE h = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD written = 0;
    // Short writes are continued until everything is written.
    filekit::g_sys.write = [](int fd, const void* data, size_t count) {
        return filekit::RealSysCalls().write(fd, data, count > 3 ? 3 : count);
    };
    EXPECT_EQ(Join({Ok(WriteFile(h, "0123456789", 10, &written, nullptr)), std::to_string(written)}), "1 10");
    filekit::g_sys.write = [](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; };
    filekit::g_sys.fsync = [](int) { return errno = EIO, -1; };
    EXPECT_EQ(Join({Ok(WriteFile(h, "more", 4, &written, nullptr)), std::to_string(written), Ok(FlushFileBuffers(h))}),
              "0/" + std::to_string(ERROR_DISK_FULL) + " 0 0/" + std::to_string(ERROR_IO_DEVICE));
    filekit::g_sys = filekit::RealSysCalls();
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(ReadBytes(path), "0123456789");

    // Devices take no part in share checks: a second exclusive open works.
    const HANDLE full = Open("/dev/full", GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    const HANDLE null = Open("/dev/null", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    const HANDLE second = Open("/dev/null", GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_EQ(Join({Ok(WriteFile(full, "abc", 3, &written, nullptr)), Ok(WriteFile(null, "abc", 3, &written, nullptr)),
                    Ok(FlushFileBuffers(null)), Ok(CloseHandle(second)), Ok(CloseHandle(null)), Ok(CloseHandle(full))}),
              "0/" + std::to_string(ERROR_DISK_FULL) + " 1 1 1 1 1");
}

#endif  // _WIN32

}  // namespace
