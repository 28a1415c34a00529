// The INI byte order mark and line ends: a mark at the start is skipped by
// both passes and written back, and Save writes the line end the file was
// read with (the first one, in a file that mixes them). Cases are the rows
// of tests/data/robustness/readers/ini-text-form.tsv.
#include "robustness/readers/ReaderData.h"

#include <gtest/gtest.h>

namespace {

using namespace filekit_test;

// text with every "{EOL}" replaced by the platform's line end.
std::string WithPlatformLineEnds(std::string text)
{
    const std::string marker = "{EOL}";
    for (size_t at; (at = text.find(marker)) != std::string::npos;) text.replace(at, marker.size(), kLineEnd);
    return text;
}

TEST(IniTextForm, MarkAndLineEndsAreReadAndGivenBack)
{
    const auto rows = ReadTable("robustness/readers/ini-text-form.tsv");
    ASSERT_GE(rows.size(), 10u);
    TempDir dir;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u) << Escape(row[0]);
        WriteBytes(dir.Path("in.ini"), row[0]);
        CINIFile ini;
        ASSERT_EQ(ini.Open(dir.Path("in.ini").c_str()), 1) << Escape(row[0]);
        EXPECT_EQ(Escape(Dump(ini)), Escape(row[1] == "-" ? "" : row[1])) << "read: " << Escape(row[0]);
        ASSERT_EQ(ini.Save(dir.Path("out.ini").c_str()), 1);
        EXPECT_EQ(Escape(ReadBytes(dir.Path("out.ini"))), Escape(WithPlatformLineEnds(row[2])))
            << "saved: " << Escape(row[0]);
    }
}

// A model started empty has no mark and the platform's line end, also in an
// object that read a file with both before it was closed.
TEST(IniTextForm, AModelStartedEmptyGetsThePlatformForm)
{
    TempDir dir;
    WriteBytes(dir.Path("in.ini"), "\xEF\xBB\xBF[A]\r\nk=v\r\n");
    const std::string expected = std::string("[N]") + kLineEnd + "n=1" + kLineEnd + kLineEnd;
    CINIFile fresh;
    CINIFile reused;
    ASSERT_EQ(reused.Open(dir.Path("in.ini").c_str()), 1);
    ASSERT_EQ(reused.Close(), 1);
    for (CINIFile* ini : {&fresh, &reused}) {
        ASSERT_EQ(ini->Open(), 1);
        ASSERT_EQ(ini->AddNewSection("N", nullptr) + ini->AddNewKey("N", "n", "1", nullptr), 2);
        ASSERT_EQ(ini->Save(dir.Path("out.ini").c_str()), 1);
        EXPECT_EQ(Escape(ReadBytes(dir.Path("out.ini"))), Escape(expected));
    }
}

}  // namespace
