// The framework arrays: growth with null gaps, removal, emptying.
#include <filekit/Framework.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

template <class Array>
std::vector<int> Ints(const Array& a)
{
    std::vector<int> out;
    out.reserve(static_cast<size_t>(a.GetSize()));
    for (int i = 0; i < a.GetSize(); ++i) out.push_back(a[i]);
    return out;
}

TEST(CArray, AddReturnsIndexAndKeepsOrder)
{
    CArray<int, int> a;
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetUpperBound(), -1);
    EXPECT_EQ(a.Add(7), 0);
    EXPECT_EQ(a.Add(8), 1);
    EXPECT_EQ(a.GetCount(), 2);
    EXPECT_EQ(Ints(a), (std::vector<int>{7, 8}));
}

TEST(CArray, InsertAtTable)
{
    struct Row {
        std::vector<int> before;
        int index;
        int value;
        int count;
        std::vector<int> after;
    };
    const Row rows[] = {
        {{}, 0, 5, 1, {5}},
        {{1, 2}, 1, 9, 1, {1, 9, 2}},
        {{1, 2}, 0, 9, 2, {9, 9, 1, 2}},
        {{1, 2}, 2, 9, 1, {1, 2, 9}},
        {{}, 3, 9, 1, {0, 0, 0, 9}},  // past the end: default entries fill the gap
        {{1}, 4, 9, 2, {1, 0, 0, 0, 9, 9}},
        {{1, 2}, -1, 9, 1, {1, 2}},  // nothing happens for a negative index
        {{1, 2}, 1, 9, 0, {1, 2}},
    };
    for (const Row& r : rows) {
        CArray<int, int> a;
        for (int v : r.before) a.Add(v);
        a.InsertAt(r.index, r.value, r.count);
        EXPECT_EQ(Ints(a), r.after) << "index " << r.index;
    }
}

TEST(CArray, RemoveAtTable)
{
    struct Row {
        int index;
        int count;
        std::vector<int> after;
    };
    const Row rows[] = {
        {0, 1, {2, 3, 4}},    {1, 2, {1, 4}},        {3, 1, {1, 2, 3}},    {2, 99, {1, 2}},
        {4, 1, {1, 2, 3, 4}}, {-1, 1, {1, 2, 3, 4}}, {1, 0, {1, 2, 3, 4}},
    };
    for (const Row& r : rows) {
        CArray<int, int> a;
        for (int v : {1, 2, 3, 4}) a.Add(v);
        a.RemoveAt(r.index, r.count);
        EXPECT_EQ(Ints(a), r.after) << "index " << r.index << " count " << r.count;
    }
}

TEST(CArray, SetSizeAndSetAtGrow)
{
    CArray<int, int> a;
    a.SetAtGrow(2, 5);
    EXPECT_EQ(Ints(a), (std::vector<int>{0, 0, 5}));
    a.SetAt(0, 1);
    a.ElementAt(1) = 2;
    EXPECT_EQ(Ints(a), (std::vector<int>{1, 2, 5}));
    a.SetSize(5);
    EXPECT_EQ(Ints(a), (std::vector<int>{1, 2, 5, 0, 0}));
    a.SetSize(0);
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_TRUE(a.IsEmpty());
    a.Add(3);
    a.RemoveAll();
    EXPECT_EQ(a.GetSize(), 0);
}

TEST(CArray, InsertingAnElementOfTheSameArrayCopiesItFirst)
{
    CStringArray a;
    a.Add("first");
    for (int i = 0; i < 40; ++i) a.InsertAt(0, a[a.GetUpperBound()]);  // forces reallocations
    EXPECT_EQ(a.GetSize(), 41);
    for (int i = 0; i < a.GetSize(); ++i) EXPECT_EQ(a[i], "first");
}

TEST(PointerArrays, GapsHoldNullAndNothingIsOwned)
{
    int value = 1;
    CPtrArray p;
    p.InsertAt(2, &value);
    ASSERT_EQ(p.GetSize(), 3);
    EXPECT_EQ(p[0], nullptr);
    EXPECT_EQ(p[1], nullptr);
    EXPECT_EQ(p[2], &value);
    p.RemoveAll();  // does not touch the pointee
    EXPECT_EQ(value, 1);

    CObArray o;
    o.SetAtGrow(1, nullptr);
    EXPECT_EQ(o.GetSize(), 2);
    EXPECT_EQ(o.GetAt(0), nullptr);
}

TEST(CStringArray, HoldsCopies)
{
    CStringArray a;
    CString s("one");
    a.Add(s);
    s = "changed";
    a.Add("two");
    EXPECT_EQ(a[0], "one");
    EXPECT_EQ(a[1], "two");
    a.SetAt(1, "deux");
    EXPECT_EQ(a.GetAt(1), "deux");
}

}  // namespace
