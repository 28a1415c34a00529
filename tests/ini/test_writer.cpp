// The writer: the layout of a saved file, round trips through the reader,
// and the cases where nothing may be written.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace filekit_test;

// The bytes that Save writes for ini (LF stored as the platform's line end),
// and its result through *result.
std::string SavedText(CINIFile& ini, int* result = nullptr)
{
    TempDir dir;
    const int saved = ini.Save(dir.Path("out.ini").c_str());
    if (result) *result = saved;
    return Exists(dir.Path("out.ini")) ? ReadBytes(dir.Path("out.ini")) : "<no file>";
}

TEST(IniWriter, LayoutOfASavedModel)
{
    CINIFile ini;
    ASSERT_EQ(ini.Open(), 1);
    ASSERT_TRUE(ini.AddNewSection("Main", ";c1\\n;c2", nullptr));
    ASSERT_TRUE(ini.AddNewKey("Main", "k", "v", ";about k", nullptr));
    ASSERT_TRUE(ini.AddNewKey("Main", "flag", "", nullptr));
    ASSERT_TRUE(ini.AddNewKey("Main", "gone", "x", nullptr) && ini.DeleteKey("Main", "gone"));
    ASSERT_TRUE(ini.AddNewSection("Other", nullptr));
    ASSERT_TRUE(ini.AddNewSection("Gone", ";c", nullptr) && ini.AddNewKey("Gone", "g", "1", nullptr));
    ASSERT_TRUE(ini.DeleteSection("Gone"));
    const std::string layout = ";c1 \n;c2\n[Main]\n;about k\nk=v\nflag\n\n[Other]\n\n";
    EXPECT_EQ(SavedText(ini), StoredText(layout));
    // The section comment keeps its written form; the key comment its stored form.
    EXPECT_EQ(Dump(ini), "S1 [Main] {;c1 <LF>;c2}\nK1 k=v {;about k}\nK1 flag= {}\nK2 gone=x {}\n"
                         "S1 [Other] {}\nS2 [Gone] {;c}\nK1 g=1 {}\n");
    EXPECT_EQ(SavedText(ini), StoredText(layout));
    EXPECT_EQ(DumpOfText(layout), "S0 [Main] {;c1\\n;c2}\nK0 k=v {;about k}\nK0 flag= {}\nS0 [Other] {}\n");
}

TEST(IniWriter, ReadSaveReadKeepsTheModel)
{
    TempDir dir;
    const std::string path = dir.Path("in.ini");
    WriteBytes(path, "\n;kA\ntop=0\n;about S\n\n[S]\n;c1\n;c2\nk = v ; not a comment\nflag\n;c\n\nk2=\"q=1\"\n"
                     "=v\n;\n[T]\n[U]\nk=a\xFE" "b\n;tail\n");
    CINIFile ini;
    ASSERT_EQ(ini.Open(path.c_str()), 1);
    const std::string model = Dump(ini);
    int result = 0;
    const std::string saved = SavedText(ini, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(DumpOfText(saved), model);
    EXPECT_EQ(std::string(ini.GetFile()), path);   // saving elsewhere leaves the path alone
    EXPECT_EQ(ini.IsOpen(), 1);
}

TEST(IniWriter, EdgeCases)
{
    CINIFile ini;
    int result = -1;
    EXPECT_EQ(SavedText(ini, &result), "<no file>");   // not open
    EXPECT_EQ(result, 0);
    ASSERT_EQ(ini.Open(), 1);
    EXPECT_EQ(SavedText(ini, &result), "");
    EXPECT_EQ(result, 1);

    ASSERT_TRUE(ini.AddNewSection("S", nullptr));
    ASSERT_TRUE(ini.UpdateSection("S", "S", ";"));
    ASSERT_TRUE(ini.AddNewKey("S", "", "", nullptr));
    ASSERT_TRUE(ini.AddNewKey("S", "two", "a\nb", " x \\n;y", nullptr));
    ASSERT_TRUE(ini.AddNewKey("S", "long", "v", (";" + std::string(2500, 'c')).c_str(), nullptr));
    EXPECT_EQ(SavedText(ini), StoredText(";\n[S]\n\n x  \n;y\ntwo=a\nb\n;" + std::string(1998, 'c') + "\nlong=v\n\n"));
}

TEST(IniWriter, FailuresLeaveTheModelAlone)
{
    TempDir dir;
    CINIFile ini;
    ASSERT_EQ(ini.Open(), 1);
    ASSERT_TRUE(ini.AddNewSection("S", ";a\\n;b", nullptr));
    const std::string model = Dump(ini);
    EXPECT_EQ(ini.Save(dir.Path("no/such/folder/x.ini").c_str()), 0);
    EXPECT_EQ(ini.Save(dir.Root().c_str()), 0);
    EXPECT_EQ(Dump(ini), model);
}

}  // namespace
