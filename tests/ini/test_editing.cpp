// The editing operations, as sequences of calls compared on the whole model.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using filekit_test::Dump;

TEST(IniEditing, AddNewSection)
{
    CINIFile ini;
    int index = -7;
    for (const char* name : {"A", "B", "C"}) ASSERT_EQ(ini.AddNewSection(name, nullptr), 1);
    EXPECT_EQ(ini.AddNewSection("S", &index), 1);
    EXPECT_EQ(index, 3);
    index = -7;
    EXPECT_EQ(ini.AddNewSection("S", &index), 0);
    EXPECT_EQ(index, -7);
    EXPECT_EQ(ini.AddNewSection("s", ";", &index), 1);
    EXPECT_EQ(index, 4);
    EXPECT_EQ(ini.AddNewSection("t", ";;", nullptr), 1);
    EXPECT_EQ(ini.UpdateSection("t", "u", ";"), 1);
    EXPECT_EQ(ini.UpdateSection("A", "B", ";b"), 1);   // two live sections named B
    EXPECT_EQ(ini.GetIndexForSection("B"), 0);
    EXPECT_EQ(Dump(ini), "S1 [B] {;b}\nS1 [B] {}\nS1 [C] {}\nS1 [S] {}\nS1 [s] {}\nS1 [u] {;}\n");
}

TEST(IniEditing, DeletedSectionIsNeverReachedAgain)
{
    CINIFile ini;
    ASSERT_TRUE(ini.AddNewSection("S", ";c", nullptr) && ini.AddNewKey("S", "k", "v", nullptr));
    EXPECT_EQ(ini.AddNewKey("Missing", "k", "v", nullptr), 0);
    ASSERT_EQ(ini.DeleteSection("S"), 1);
    EXPECT_EQ(ini.GetSection("S"), nullptr);
    CString value = "old", comment = "old";
    EXPECT_EQ(ini.AddNewKey("S", "j", "v", nullptr), 0);
    EXPECT_EQ(ini.DeleteKey("S", "k"), 0);
    EXPECT_EQ(ini.UpdateKey("S", "k", "k", "w", ""), 0);
    EXPECT_EQ(ini.GetKeyData("S", "k", value, comment), 0);
    EXPECT_EQ(ini.UpdateSection("S", "T", ""), 0);
    EXPECT_EQ(ini.DeleteSection("S"), 0);
    EXPECT_EQ(std::string(value + comment), "oldold");
    int index = -1;
    ASSERT_EQ(ini.AddNewSection("S", &index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Dump(ini), "S2 [S] {;c}\nK1 k=v {}\nS1 [S] {}\n");
}

// The section holding a deleted "k" and, after it, a new live "k".
void MakeDeletedAndLiveKey(CINIFile& ini)
{
    ASSERT_TRUE(ini.AddNewSection("S", nullptr));
    ASSERT_TRUE(ini.AddNewKey("S", "k", "old", ";why", nullptr));
    ASSERT_EQ(ini.DeleteKey("S", "k"), 1);
    ASSERT_EQ(ini.DeleteKey("S", "k"), 1);   // deleting again still succeeds
    int index = -1;
    ASSERT_EQ(ini.AddNewKey("S", "k", "new", &index), 1);
    ASSERT_EQ(index, 1);
    ASSERT_EQ(ini.GetIndexForKey("S", "k"), 1);
}

TEST(IniEditing, KeySearchesFindDeletedKeysWhereTheyShould)
{
    {
        CINIFile ini;
        MakeDeletedAndLiveKey(ini);
        CString value, comment;
        EXPECT_EQ(ini.GetKeyData("S", "k", value, comment), 1);
        EXPECT_EQ(std::string(value) + "|" + std::string(comment), "old|;why");
        EXPECT_EQ(ini.AddNewKey("S", "k", "again", nullptr), 0);
    }
    {
        CINIFile ini;
        MakeDeletedAndLiveKey(ini);
        EXPECT_EQ(ini.UpdateKey("S", "k", "k", "revived", ";"), 1);
        EXPECT_EQ(Dump(ini), "S1 [S] {}\nK1 k=revived {;}\nK1 k=new {}\n");
    }
    {
        CINIFile ini;
        MakeDeletedAndLiveKey(ini);
        EXPECT_EQ(ini.DeleteKey("S", "k"), 1);
        EXPECT_EQ(Dump(ini), "S1 [S] {}\nK2 k=old {;why}\nK1 k=new {}\n");
        CString value = "v", comment = "c";
        EXPECT_EQ(ini.GetKeyData("S", "missing", value, comment), 0);
        EXPECT_EQ(ini.DeleteKey("S", "missing"), 0);
        EXPECT_EQ(ini.UpdateKey("S", "missing", "m", "v", "c"), 0);
        EXPECT_EQ(std::string(value + comment), "vc");
    }
}

TEST(IniEditing, UpdatesKeepIndexesAndStatesOfLoadedItems)
{
    filekit_test::TempDir dir;
    filekit_test::WriteBytes(dir.Path("t.ini"), "[S]\na=1\nk=2\n[T]\nx=3\n");
    CINIFile ini;
    ASSERT_EQ(ini.Open(dir.Path("t.ini").c_str()), 1);
    ASSERT_EQ(ini.UpdateKey("S", "k", "m", "v", "c"), 1);
    CString name, value, comment;
    ASSERT_EQ(ini.GetSection("S")->GetKey(1, name, value, comment), 1);
    EXPECT_EQ(std::string(name + value + comment), "mvc");
    ASSERT_EQ(ini.DeleteKey("S", "a"), 1);
    ASSERT_EQ(ini.AddNewKey("T", "y", "", ";", nullptr), 1);
    ASSERT_EQ(ini.UpdateSection("S", "S2", ";s"), 1);
    ASSERT_EQ(ini.DeleteSection("S2"), 1);
    EXPECT_EQ(Dump(ini), "S2 [S2] {;s}\nK2 a=1 {}\nK1 m=v {c}\nS1 [T] {}\nK0 x=3 {}\nK1 y= {}\n");
}

}  // namespace
