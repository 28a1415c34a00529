// The writer: the layout of a saved file, round trips through the reader,
// and the cases where nothing may be written.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace filekit_test;

// Save's result and the bytes it wrote (LF stored as the platform's line
// end), or "<no file>".
std::string Saved(CINIFile& ini)
{
    TempDir dir;
    const int saved = ini.Save(dir.Path("out.ini").c_str());
    return std::to_string(saved) + ":" + (Exists(dir.Path("out.ini")) ? ReadBytes(dir.Path("out.ini")) : "<no file>");
}

TEST(IniWriter, LayoutOfASavedModel)
{
    CINIFile ini;
    ASSERT_EQ(Results({ini.Open(), ini.AddNewSection("Main", ";c1\\n;c2", nullptr),
                       ini.AddNewKey("Main", "k", "v", ";about k", nullptr), ini.AddNewKey("Main", "flag", "", nullptr),
                       ini.AddNewKey("Main", "gone", "x", nullptr), ini.DeleteKey("Main", "gone"),
                       ini.AddNewSection("Other", nullptr), ini.AddNewSection("Gone", ";c", nullptr),
                       ini.AddNewKey("Gone", "g", "1", nullptr), ini.DeleteSection("Gone")}),
              "1 1 1 1 1 1 1 1 1 1");
    const std::string layout = ";c1 \n;c2\n[Main]\n;about k\nk=v\nflag\n\n[Other]\n\n";
    EXPECT_EQ(Saved(ini), "1:" + StoredText(layout));
    // The section comment keeps its written form; the key comment its stored form.
    EXPECT_EQ(Dump(ini), "S1 [Main] {;c1 <LF>;c2}\nK1 k=v {;about k}\nK1 flag= {}\nK2 gone=x {}\n"
                         "S1 [Other] {}\nS2 [Gone] {;c}\nK1 g=1 {}\n");
    EXPECT_EQ(Saved(ini), "1:" + StoredText(layout));
    EXPECT_EQ(DumpOfText(layout), "S0 [Main] {;c1\\n;c2}\nK0 k=v {;about k}\nK0 flag= {}\nS0 [Other] {}\n");
}

TEST(IniWriter, EdgeCasesAndFailures)
{
    TempDir dir;
    CINIFile ini;
    EXPECT_EQ(Saved(ini), "0:<no file>");  // not open
    ASSERT_EQ(ini.Open(), 1);
    EXPECT_EQ(Saved(ini), "1:");
    ASSERT_EQ(Results({ini.AddNewSection("S", nullptr), ini.UpdateSection("S", "S", ";"),
                       ini.AddNewKey("S", "", "", nullptr), ini.AddNewKey("S", "two", "a\nb", " x \\n;y", nullptr),
                       ini.AddNewKey("S", "long", "v", (";" + std::string(2500, 'c')).c_str(), nullptr)}),
              "1 1 1 1 1");
    EXPECT_EQ(Saved(ini),
              "1:" + StoredText(";\n[S]\n\n x  \n;y\ntwo=a\nb\n;" + std::string(1998, 'c') + "\nlong=v\n\n"));

    CINIFile failing;  // a failed save leaves even the comment's stored form alone
    ASSERT_EQ(Results({failing.Open(), failing.AddNewSection("S", ";a\\n;b", nullptr)}), "1 1");
    EXPECT_EQ(failing.Save(dir.Path("no/such/folder/x.ini").c_str()) + failing.Save(dir.Root().c_str()), 0);
    EXPECT_EQ(Dump(failing), "S1 [S] {;a\\n;b}\n");
#ifndef _WIN32  // a device that is always full exists only there
    EXPECT_EQ(failing.Save("/dev/full"), 1);  // write errors after the file is created are not reported
#endif
}

}  // namespace
