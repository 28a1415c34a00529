// The model's lookups: exact names, deleted items, indexes.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

namespace {

using filekit_test::Dump;
using filekit_test::TestIni;

TEST(IniModel, NewObjectIsClosedAndEmpty)
{
    CINIFile ini;
    EXPECT_EQ(ini.GetSectionCount(), 0);
    EXPECT_EQ(ini.GetIndexForSection("A"), -1);
    EXPECT_EQ(ini.GetIndexForKey("A", "k"), -1);
    EXPECT_EQ(ini.GetSection(0), nullptr);
    EXPECT_EQ(ini.GetSection("A"), nullptr);
    EXPECT_EQ(ini.IsOpen(), 0);
    EXPECT_EQ(std::string(ini.GetFile()), "");
    EXPECT_EQ(std::string(CINIFile::GetExtension()), "ini");
    EXPECT_EQ(&CINIFile::GetExtension(), &CINIFile::CST_EXT_INI);
}

TEST(IniModel, LookupsSkipDeletedItemsAndFindTheFirstMatch)
{
    CINIFile ini;
    ASSERT_TRUE(ini.AddNewSection("A", nullptr) && ini.AddNewSection("a", nullptr));
    EXPECT_EQ(ini.GetIndexForSection("a"), 1);
    ASSERT_TRUE(ini.DeleteSection("A") && ini.AddNewSection("A", nullptr));
    EXPECT_EQ(ini.GetIndexForSection("A"), 2);
    EXPECT_EQ(ini.GetSectionCount(), 3);
    EXPECT_EQ(ini.GetSection(0)->m_nState, CINIFile::STATE_DELETED);
    EXPECT_EQ(ini.GetSection(-1), nullptr);
    EXPECT_EQ(ini.GetSection(3), nullptr);
    EXPECT_EQ(ini.GetSection("A"), ini.GetSection(2));

    CINIFile::CINIFileSection* a = ini.GetSection(2);
    ASSERT_TRUE(ini.AddNewKey("A", "k", "1", nullptr) && ini.AddNewKey("A", "j", "2", nullptr));
    ASSERT_TRUE(ini.DeleteKey("A", "k") && ini.AddNewKey("A", "k", "3", nullptr));
    ASSERT_TRUE(ini.UpdateKey("A", "j", "k", "4", ""));   // a second live "k", after the deleted one
    EXPECT_EQ(a->GetKeyCount(), 3);
    EXPECT_EQ(a->GetIndexForKey("k"), 1);
    EXPECT_EQ(ini.GetIndexForKey("A", "k"), 1);
    EXPECT_EQ(ini.GetIndexForKey("a", "k"), -1);
    ini.DeleteSection("a");
    EXPECT_EQ(ini.GetIndexForKey("a", "k"), -1);

    CString name = "n", value = "v", comment = "c";
    EXPECT_EQ(a->GetKey(0, name, value, comment), 1);   // deleted keys are reachable by index
    EXPECT_EQ(std::string(name + value + comment), "k1");
    EXPECT_EQ(a->GetKey("k", value, comment), 1);
    EXPECT_EQ(std::string(value), "4");
    name = "n";
    EXPECT_EQ(a->GetKey(3, name, value, comment), 0);
    EXPECT_EQ(a->GetKey(-1, name, value, comment), 0);
    EXPECT_EQ(a->GetKey("missing", value, comment), 0);
    EXPECT_EQ(std::string(name + value), "n4");
}

TEST(IniModel, NamesCompareUpToTheirFirstZeroByte)
{
    CINIFile ini;
    ASSERT_TRUE(ini.AddNewSection(CString("ab\0x", 4), nullptr));
    EXPECT_EQ(ini.GetIndexForSection("ab"), 0);
    EXPECT_EQ(ini.GetIndexForSection(CString("ab\0y", 4)), 0);
    EXPECT_EQ(ini.GetIndexForSection("a"), -1);
    EXPECT_EQ(ini.GetIndexForSection("abc"), -1);
    EXPECT_EQ(ini.AddNewSection("ab", nullptr), 0);
}

TEST(IniModel, EmptyKeepsTheOpenStateAndShowSetOfSectionsChangesNothing)
{
    filekit_test::TempDir dir;
    filekit_test::WriteBytes(dir.Path("t.ini"), "[S]\n;c\nk=v\n");
    TestIni ini;
    ASSERT_EQ(ini.Open(dir.Path("t.ini").c_str()), 1);
    const std::string before = Dump(ini);
    ini.ShowSetOfSections();
    EXPECT_EQ(Dump(ini), before);
    ini.Empty();
    EXPECT_EQ(ini.IsOpen(), 1);
    EXPECT_EQ(std::string(ini.GetFile()), dir.Path("t.ini"));
    EXPECT_EQ(ini.GetSectionCount(), 0);
}

}  // namespace
