// One version per read: the INI reader reads both of its passes through one
// open file, so a file replaced between them (by rename, as an atomic save
// does) is read whole in its old version, and a file cut or extended in place
// gives a model of what each pass saw. The change is made by a hook on the
// POSIX layer's lseek, which the reader calls to rewind between the passes,
// so these tests are built where that layer is.
// Cases are the rows of tests/data/robustness/readers/between-passes.tsv.
#include "robustness/readers/ReaderData.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <cerrno>
#include <cstdio>

namespace {

using namespace filekit_test;

// What the hook does at the rewind: the path, the new bytes, and how they
// take the file's place.
std::string g_path;
std::string g_replacement;
bool g_inPlace = false;
int g_rewinds = 0;

off_t ChangeThenSeek(int fd, off_t offset, int whence)
{
    if (offset == 0 && whence == SEEK_SET && ++g_rewinds == 1) {
        if (g_inPlace) {
            // The same file, cut to nothing and written anew: one inode.
            std::FILE* file = std::fopen(g_path.c_str(), "r+b");
            if (file) {
                std::fwrite(g_replacement.data(), 1, g_replacement.size(), file);
                std::fflush(file);
                static_cast<void>(
                    filekit::RealSysCalls().ftruncate(fileno(file), static_cast<off_t>(g_replacement.size())));
                std::fclose(file);
            }
        } else {
            WriteBytes(g_path + ".new", g_replacement);
            std::rename((g_path + ".new").c_str(), g_path.c_str());
        }
    }
    return filekit::RealSysCalls().lseek(fd, offset, whence);
}

TEST(OneVersionPerRead, FileChangedBetweenThePasses)
{
    const auto rows = ReadTable("robustness/readers/between-passes.tsv");
    ASSERT_GE(rows.size(), 4u);
    TempDir dir;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 5u);
        g_path = dir.Path("t.ini");
        WriteBytes(g_path, row[1]);
        g_replacement = row[2];
        g_inPlace = row[0] == "in-place";
        g_rewinds = 0;
        filekit::g_sys.lseek = ChangeThenSeek;
        CINIFile ini;
        const int result = ini.Open(g_path.c_str());
        filekit::g_sys = filekit::RealSysCalls();
        EXPECT_EQ(g_rewinds, row[1].find('[') == std::string::npos ? 0 : 1) << row[0] << " " << Escape(row[1]);
        EXPECT_EQ(std::to_string(result) + " " + Dump(ini), row[3] + " " + (row[4] == "-" ? "" : row[4]))
            << row[0] << ": " << Escape(row[1]) << " then " << Escape(row[2]);
    }
}

// A rewind the system refuses fails the read as a second open once did:
// the sections of the first pass stay, without keys.
TEST(OneVersionPerRead, RefusedRewindTakesTheSectionsBack)
{
    TempDir dir;
    WriteBytes(dir.Path("t.ini"), ";c\n[A]\na=1\n");
    filekit::g_sys.lseek = [](int, off_t, int) -> off_t {
        errno = EIO;
        return -1;
    };
    CINIFile ini;
    const int result = ini.Open(dir.Path("t.ini").c_str());
    filekit::g_sys = filekit::RealSysCalls();
    EXPECT_EQ(std::to_string(result) + std::to_string(ini.IsOpen()) + " " + Dump(ini), "00 ");
}

}  // namespace
#endif
