// SPDX-License-Identifier: MIT
// Readers that read one version of a file and never run away. The cases
// are the lines of tests/data/robustness/readers.txt; changes between the
// INI reader's passes and huge streams are made through the POSIX call
// table (no test reads gigabytes from disk), so those lines run where the
// table is.
#include <filekit/TextFile.h>

#include "platform/Heap.h"
#include "support/Cases.h"
#include "support/Win32Script.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using namespace filekit_test;
using namespace filekit;  // the heap and system call tables

// The heap calls LoadFile makes and the size of the last one; the size the
// block may not grow beyond. A fake stream behind read: g_length bytes of
// g_fill, each read served whole, the read after g_readsLeft reads failing.
long long g_allocations, g_reallocations, g_lastSize;
std::uint64_t g_growLimit, g_length, g_served, g_readsLeft;
char g_fill;

#ifndef _WIN32
// Zeros are written whole by the first read only: while its text stays
// empty, LoadFile reads into the same place of its block, so a marker byte
// is enough after that, which keeps gigabytes of zeros cheap.
ssize_t FakeRead(int, void* buffer, size_t count)
{
    if (g_readsLeft-- == 0) return errno = EIO, -1;
    const size_t served = static_cast<size_t>(std::min<std::uint64_t>(count, g_length - g_served));
    std::memset(buffer, g_fill, g_fill == '\0' && g_served > 0 ? std::min<size_t>(served, 1) : served);
    g_served += served;
    return static_cast<ssize_t>(served);
}

// The stream behind read while on.
void Streamed(bool on) { g_sys.read = on && g_length ? FakeRead : RealSysCalls().read; }
#else
void Streamed(bool) {}  // no call table to fake a stream behind: the stream lines are for POSIX only
#endif

// "load BYTES|/PATH CHUNK [stream=N] [reads=N] [grow=N]":
// LoadFile(chunk) after Open, on a regular file of BYTES, a path
// as it is, or a stream of N bytes BYTES[0] behind an empty regular file.
std::string Load(const Args& args)
{
    std::map<std::string, std::uint64_t> option = {{"stream", 0}, {"reads", ~0ull}, {"grow", ~0ull}};
    for (size_t i = 2; i < args.size(); ++i)
        option.at(args[i].substr(0, args[i].find('='))) = std::stoull(args[i].substr(args[i].find('=') + 1));
    TempDir dir;
    WriteBytes(dir.Path("f"), option["stream"] ? "" : args[0]);
    g_length = option["stream"], g_readsLeft = option["reads"], g_growLimit = option["grow"], g_fill = args[0][0];
    g_served = 0, g_allocations = g_reallocations = g_lastSize = 0;
    CTextFile file;
    if (!file.Open((args[0][0] == '/' ? args[0] : dir.Path("f")).c_str(), 0)) return "not opened";
    g_heap.allocate = [](std::size_t n) {
        return ++g_allocations, g_lastSize = static_cast<long long>(n), RealHeapCalls().allocate(n);
    };
    g_heap.reallocate = [](void* p, std::size_t n) {
        return ++g_reallocations, g_lastSize = static_cast<long long>(n),
                                  n > g_growLimit ? nullptr : RealHeapCalls().reallocate(p, n);
    };
    Streamed(true);
    char* text = nullptr;
    DWORD size = 0;
    const int result = file.LoadFile(&text, &size, static_cast<DWORD>(std::stoul(args[1])));
    Streamed(false);
    g_heap = RealHeapCalls();
    const std::string shown = !text ? "NULL" : *text ? std::string(text) : "\"\"";
    std::free(text);
    return Results({result}) + " " + shown + " " + Results({size, g_allocations, g_reallocations, g_lastSize}) +
           (g_length ? " " + std::to_string(g_served) : "");
}

const Commands kCommands = {
    {"load", Load},
#ifndef _WIN32
    {"between",
     [](const Args& args) {  // replaced|rewritten|refused BEFORE AFTER: the rewind is the reader's only lseek
         TempDir dir;
         const std::string path = dir.Path("t.ini");
         WriteBytes(path, args[1]);
         g_action = [path, after = args[2]](const std::string& change) {
             WriteBytes(change == "rewritten" ? path : path + ".new", after);  // rewritten: the same inode
             if (change == "replaced") std::filesystem::rename(path + ".new", path);
         };
         Hook("lseek#1=" + (args[0] == "refused" ? "EIO" : args[0]));
         CINIFile ini;
         const int result = ini.Open(path.c_str());
         g_sys = RealSysCalls();
         return Results({g_uses["lseek"], result, ini.IsOpen()}) + " " + Dump(ini, ";");
     }},
#endif
};

TEST(Readers, Cases) { RunCases("robustness", "readers.txt", kCommands); }

}  // namespace
