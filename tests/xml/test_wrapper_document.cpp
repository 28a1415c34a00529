// CXMLParserWrapper's own document: open and close guards, top-level
// elements, saving, copies, and input that is not a readable document.
#include "XmlText.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <cerrno>
#endif

#include <string>

namespace {

using filekit_test::ReadBytes;
using filekit_test::StoredText;
using filekit_test::TempDir;
using filekit_test::WriteBytes;
using XMLSDK::CXMLNode;

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";

// Replaces one system call for the life of the object (the POSIX layer's
// table; on Windows the system's own calls cannot be made to fail).
class FailingCall {
public:
    template <class Field, class Function>
    FailingCall(Field field, Function function)
    {
        filekit::g_sys.*field = function;
    }
    ~FailingCall() { filekit::g_sys = filekit::RealSysCalls(); }
    FailingCall(const FailingCall&) = delete;
    FailingCall& operator=(const FailingCall&) = delete;
};
#endif

TEST(WrapperDocument, ClosedWrapperRefusesAndOpenWrapperKeepsItsDocument)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    CXMLNode kept;
    EXPECT_EQ(wrapper.IsOpen() + wrapper.Close() + wrapper.Save(dir.Path("x.xml").c_str()) +
                  wrapper.EmptyDocument() + wrapper.GetRootNode("r", &kept) + wrapper.CreateRootNode("r", &kept),
              0);
    EXPECT_TRUE(kept.IsEmpty());
    EXPECT_FALSE(filekit_test::Exists(dir.Path("x.xml")));

    ASSERT_EQ(xml_test::OpenText(wrapper, dir, "<r><a/></r>"), 1);
    EXPECT_EQ(wrapper.Open(), 0);
    EXPECT_EQ(wrapper.Open(dir.Path("in.xml").c_str()), 0);
    EXPECT_EQ(wrapper.IsOpen(), 1);
    EXPECT_EQ(wrapper.GetRootNode("a", &kept), 0);   // a top-level element of another name
    EXPECT_TRUE(kept.IsEmpty());
    EXPECT_EQ(wrapper.GetRootNode("r", nullptr), 1);
    EXPECT_EQ(wrapper.CreateRootNode("r", nullptr), 1);
    EXPECT_EQ(wrapper.CreateRootNode("r", &kept), 1);
    EXPECT_EQ(xml_test::Text(kept), "<r/>");
    EXPECT_EQ(wrapper.Text(), "<r><a/></r><r/><r/>");
    EXPECT_EQ(wrapper.EmptyDocument(), 1);
    EXPECT_EQ(wrapper.Text(), "");
    EXPECT_EQ(wrapper.GetRootNode("r", &kept), 0);
    EXPECT_EQ(wrapper.Close(), 1);
    EXPECT_EQ(wrapper.Close() + wrapper.IsOpen(), 0);
    EXPECT_EQ(wrapper.Open(), 1);
    EXPECT_EQ(wrapper.Text(), "");
}

TEST(WrapperDocument, SaveWritesTheDocumentAndAFailedSaveChangesNothing)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, "<r a='1'><b>x</b></r>"), 1);
    const std::string expected = "<?xml version=\"1.0\"?>\n<r a=\"1\">\n\t<b>x</b>\n</r>\n";
    ASSERT_EQ(wrapper.Save(dir.Path("out.xml").c_str()), 1);
    EXPECT_EQ(ReadBytes(dir.Path("out.xml")), StoredText(expected));

    const std::string unwritable[] = {dir.Path("missing/out.xml"), dir.Root().string(), ""};
    for (const std::string& path : unwritable) EXPECT_EQ(wrapper.Save(path.c_str()), 0) << path;
#ifndef _WIN32
    {
        FailingCall full(&filekit::SysCalls::write, [](int, const void*, size_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        });
        EXPECT_EQ(wrapper.Save(dir.Path("full.xml").c_str()), 0);
    }
#endif
    EXPECT_EQ(wrapper.IsOpen(), 1);
    EXPECT_EQ(wrapper.Text(), "<r a=\"1\"><b>x</b></r>");
    ASSERT_EQ(wrapper.Save(dir.Path("again.xml").c_str()), 1);
    EXPECT_EQ(ReadBytes(dir.Path("again.xml")), StoredText(expected));
}

TEST(WrapperDocument, InputThatIsNotADocumentIsRefused)
{
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"empty file", ""},
        {"whitespace", " \n\t "},
        {"plain text", "hello, world\n"},
        {"binary", std::string("\x00\x01\xFF\xFE\x80\x00<", 7)},
        {"unclosed element", "<r><a></r>"},
        {"mismatched end", "<r></a>"},
        {"bad attribute", "<r a=1/>"},
        {"truncated", "<r><a x='1"},
        {"comment only", "<!-- nothing -->"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        xml_test::Wrapper wrapper;
        EXPECT_EQ(xml_test::OpenText(wrapper, dir, row.bytes), 0) << row.what;
        EXPECT_EQ(wrapper.IsOpen(), 0) << row.what;
        EXPECT_EQ(wrapper.Text(), "<closed>") << row.what;
    }
    TempDir dir;
    CXMLParserWrapper wrapper;
    EXPECT_EQ(wrapper.Open(dir.Path("missing.xml").c_str()), 0);
    EXPECT_EQ(wrapper.Open(dir.Root().c_str()), 0);
    EXPECT_EQ(wrapper.Open(kNullDevice), 0);
    WriteBytes(dir.Path("ok.xml"), "<r/>");
#ifndef _WIN32
    {
        FailingCall broken(&filekit::SysCalls::read, [](int, void*, size_t) -> ssize_t {
            errno = EIO;
            return -1;
        });
        EXPECT_EQ(wrapper.Open(dir.Path("ok.xml").c_str()), 0);
    }
#endif
    EXPECT_EQ(wrapper.Open(dir.Path("ok.xml").c_str()), 1);
}

TEST(WrapperDocument, HugeDocuments)
{
    TempDir dir;
    constexpr size_t kDepth = 1000000;   // a million levels: open, save and copy without recursion
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, xml_test::Chain(kDepth, false)), 1);
    ASSERT_EQ(wrapper.Save(dir.Path("out.xml").c_str()), 1);
    EXPECT_TRUE(ReadBytes(dir.Path("out.xml")) == StoredText(xml_test::Chain(kDepth, false)));
    CXMLParserWrapper copy(wrapper);
    EXPECT_EQ(wrapper.Close() + copy.Close(), 2);

    const std::string item = "<item id='12345'>some text &amp; more</item>\n";
    const size_t count = size_t{100} * 1024 * 1024 / item.size();   // 100 MB
    std::string xml = "<r>\n";
    xml.reserve(count * item.size() + 10);
    for (size_t i = 0; i < count; ++i) xml += item;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, xml + "</r>\n"), 1);
    CXMLNode root;
    XMLSDK::CXMLNodeList list;
    ASSERT_EQ(wrapper.GetRootNode("r", &root) + CXMLParserWrapper::GetChildrenByName(root, "item", &list), 2);
    EXPECT_EQ(static_cast<size_t>(list.GetSize()), count);
}

TEST(WrapperDocument, CopiesHoldTheirOwnDocument)
{
    TempDir dir;
    xml_test::Wrapper original;
    ASSERT_EQ(xml_test::OpenText(original, dir, "<r><a>1</a></r>"), 1);
    xml_test::Wrapper copy(original);
    CXMLNode root;
    ASSERT_EQ(copy.GetRootNode("r", &root), 1);
    CXMLParserWrapper::AddNewNode(root, "b", "2", nullptr);
    EXPECT_EQ(original.Text() + " " + copy.Text(), "<r><a>1</a></r> <r><a>1</a><b>2</b></r>");

    xml_test::Wrapper closed;
    xml_test::Wrapper copyOfClosed(closed);
    EXPECT_EQ(copyOfClosed.Text(), "<closed>");
    copy = closed;   // releases the copy's document
    EXPECT_EQ(copy.Text(), "<closed>");
    closed = original;
    const xml_test::Wrapper& self = closed;
    closed = self;
    EXPECT_EQ(closed.Text(), "<r><a>1</a></r>");
    EXPECT_EQ(original.Close() + closed.IsOpen(), 2);
}

}  // namespace
