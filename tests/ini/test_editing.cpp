// The model's lookups and the editing operations, as sequences of calls
// whose results and whole model are compared at once.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace filekit_test;

TEST(IniModel, LookupsSkipDeletedItemsAndFindTheFirstMatch)
{
    CINIFile ini;
    EXPECT_EQ(std::string(CINIFile::GetExtension()), "ini");
    EXPECT_EQ(Results({ini.GetIndexForSection("A"), ini.GetIndexForKey("A", "k"), ini.AddNewSection("A", nullptr),
                       ini.AddNewSection("a", nullptr), ini.GetIndexForSection("a"), ini.DeleteSection("A"),
                       ini.AddNewSection("A", nullptr), ini.GetIndexForSection("A")}),
              "-1 -1 1 1 1 1 1 2");
    EXPECT_TRUE(ini.GetSection(-1) == nullptr && ini.GetSection(3) == nullptr && ini.GetSection("B") == nullptr);
    CINIFile::CINIFileSection* a = ini.GetSection(2);
    EXPECT_EQ(ini.GetSection("A"), a);
    EXPECT_EQ(Results({ini.AddNewKey("A", "k", "1", nullptr), ini.AddNewKey("A", "j", "2", nullptr),
                       ini.DeleteKey("A", "k"), ini.AddNewKey("A", "k", "3", nullptr),
                       ini.UpdateKey("A", "j", "k", "4", ""),  // a second live "k", after the deleted one
                       a->GetKeyCount(), a->GetIndexForKey("k"), ini.GetIndexForKey("A", "k"),
                       ini.GetIndexForKey("a", "k"), ini.DeleteSection("a"), ini.GetIndexForKey("a", "k")}),
              "1 1 1 1 1 3 1 1 -1 1 -1");

    CString name = "n", value = "v", comment = "c";
    EXPECT_EQ(a->GetKey(0, name, value, comment), 1);  // deleted keys are reachable by index
    EXPECT_EQ(std::string(name + value + comment), "k1");
    EXPECT_EQ(a->GetKey("k", value, comment), 1);
    EXPECT_EQ(std::string(value), "4");
    name = "n";
    EXPECT_EQ(Results({a->GetKey(3, name, value, comment), a->GetKey(-1, name, value, comment),
                       a->GetKey("missing", value, comment)}),
              "0 0 0");
    EXPECT_EQ(std::string(name + value), "n4");
    EXPECT_EQ(Dump(ini), "S2 [A] {}\nS2 [a] {}\nS1 [A] {}\nK2 k=1 {}\nK1 k=4 {}\nK1 k=3 {}\n");
}

TEST(IniModel, NamesCompareUpToTheirFirstZeroByte)
{
    CINIFile ini;
    int index = -7, refused = -7;
    EXPECT_EQ(Results({ini.AddNewSection(CString("ab\0x", 4), ";", &index), ini.GetIndexForSection("ab"),
                       ini.GetIndexForSection(CString("ab\0y", 4)), ini.GetIndexForSection("a"),
                       ini.GetIndexForSection("abc"), ini.AddNewSection("ab", &refused), index, refused}),
              "1 0 0 -1 -1 0 0 -7");
}

TEST(IniEditing, DeletedSectionIsNeverReachedAgain)
{
    CINIFile ini;
    CString value = "old", comment = "old";
    int index = -1;
    EXPECT_EQ(Results({ini.AddNewSection("S", ";c", nullptr), ini.AddNewKey("S", "k", "v", nullptr),
                       ini.AddNewKey("Missing", "k", "v", nullptr), ini.DeleteSection("S"),
                       ini.GetSection("S") == nullptr, ini.AddNewKey("S", "j", "v", nullptr), ini.DeleteKey("S", "k"),
                       ini.UpdateKey("S", "k", "k", "w", ""), ini.GetKeyData("S", "k", value, comment),
                       ini.UpdateSection("S", "T", ""), ini.DeleteSection("S"), ini.AddNewSection("S", &index), index}),
              "1 1 0 1 1 0 0 0 0 0 0 1 1");
    EXPECT_EQ(std::string(value + comment), "oldold");
    EXPECT_EQ(Dump(ini), "S2 [S] {;c}\nK1 k=v {}\nS1 [S] {}\n");
}

// Section S holding a deleted "k" and, after it, a new live "k"; the
// results of the calls that made it.
std::string MakeDeletedAndLiveKey(CINIFile& ini)
{
    int index = -1;
    return Results({ini.AddNewSection("S", nullptr), ini.AddNewKey("S", "k", "old", ";why", nullptr),
                    ini.DeleteKey("S", "k"), ini.DeleteKey("S", "k"),  // deleting again still succeeds
                    ini.AddNewKey("S", "k", "new", &index), index, ini.GetIndexForKey("S", "k")});
}

TEST(IniEditing, KeySearchesFindDeletedKeysWhereTheyShould)
{
    const std::string made = "1 1 1 1 1 1 1";
    CINIFile reading, updating, deleting;
    CString value = "v", comment = "c";
    ASSERT_EQ(MakeDeletedAndLiveKey(reading), made);
    EXPECT_EQ(Results({reading.GetKeyData("S", "k", value, comment), reading.AddNewKey("S", "k", "again", nullptr)}),
              "1 0");
    EXPECT_EQ(std::string(value) + "|" + std::string(comment), "old|;why");

    ASSERT_EQ(MakeDeletedAndLiveKey(updating), made);
    EXPECT_EQ(updating.UpdateKey("S", "k", "k", "revived", ";"), 1);
    EXPECT_EQ(Dump(updating), "S1 [S] {}\nK1 k=revived {;}\nK1 k=new {}\n");

    ASSERT_EQ(MakeDeletedAndLiveKey(deleting), made);
    value = "v", comment = "c";
    EXPECT_EQ(Results({deleting.DeleteKey("S", "k"), deleting.GetKeyData("S", "missing", value, comment),
                       deleting.DeleteKey("S", "missing"), deleting.UpdateKey("S", "missing", "m", "v", "c")}),
              "1 0 0 0");
    EXPECT_EQ(std::string(value + comment), "vc");
    EXPECT_EQ(Dump(deleting), "S1 [S] {}\nK2 k=old {;why}\nK1 k=new {}\n");
}

TEST(IniEditing, UpdatesKeepIndexesAndStatesOfLoadedItems)
{
    TempDir dir;
    WriteBytes(dir.Path("t.ini"), "[S]\na=1\nk=2\n[T]\nx=3\n");
    CINIFile ini;
    ASSERT_EQ(ini.Open(dir.Path("t.ini").c_str()), 1);
    EXPECT_EQ(
        Results({ini.UpdateKey("S", "k", "m", "v", "c"), ini.DeleteKey("S", "a"),
                 ini.AddNewKey("T", "y", "", ";", nullptr), ini.UpdateSection("S", "S2", ";s"), ini.DeleteSection("S2"),
                 ini.AddNewSection("U", nullptr), ini.UpdateSection("U", "T", ""),  // a rename may repeat a live name
                 ini.GetIndexForSection("T")}),
        "1 1 1 1 1 1 1 1");
    EXPECT_EQ(Dump(ini), "S2 [S2] {;s}\nK2 a=1 {}\nK1 m=v {c}\nS1 [T] {}\nK0 x=3 {}\nK1 y= {}\nS1 [T] {}\n");
}

}  // namespace
