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
    int index = -7, refused = -7;
    EXPECT_EQ(
        Results({ini.GetIndexForSection("A"), ini.GetIndexForKey("A", "k"), ini.AddNewSection("A", ";c", nullptr),
                 ini.AddNewSection("a", nullptr), ini.AddNewKey("A", "k", "1", nullptr), ini.DeleteSection("A"),
                 ini.AddNewKey("A", "j", "v", nullptr), ini.DeleteKey("A", "k"), ini.UpdateKey("A", "k", "k", "w", ""),
                 ini.UpdateSection("A", "T", ""), ini.AddNewSection("A", &index), index, ini.GetIndexForSection("A"),
                 ini.AddNewSection(CString("ab\0x", 4), nullptr), ini.GetIndexForSection(CString("ab\0y", 4)),
                 ini.GetIndexForSection("abc"), ini.AddNewSection("ab", &refused), refused}),
        "-1 -1 1 1 1 1 0 0 0 0 1 2 2 1 3 -1 0 -7");  // names compare up to their first zero byte
    EXPECT_TRUE(ini.GetSection(-1) == nullptr && ini.GetSection(4) == nullptr && ini.GetSection("B") == nullptr);
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
    name = "n";
    EXPECT_EQ(Results({a->GetKey(3, name, value, comment), a->GetKey(-1, name, value, comment),
                       a->GetKey("missing", value, comment)}),
              "0 0 0");
    EXPECT_EQ(std::string(name + value), "n4");
    EXPECT_EQ(Dump(ini), "S2 [A] {;c}\nK1 k=1 {}\nS2 [a] {}\nS1 [A] {}\nK2 k=1 {}\nK1 k=4 {}\nK1 k=3 {}\n"
                         "S1 [ab<00>x] {}\n");
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
