// CXMLParserWrapper: its static node operations (guards, the value and
// attribute conventions, building, parents, lists) and its own document
// (open and close guards, top-level elements, saving, copies, bad input).
#include "XmlText.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <cerrno>
#endif

#include <functional>
#include <string>

namespace {

using filekit_test::ReadBytes;
using filekit_test::StoredText;
using filekit_test::TempDir;
using filekit_test::WriteBytes;
using xml_test::Results;
using xml_test::Text;
using XMLSDK::CXMLNode;
using XMLSDK::CXMLNodeList;
using W = CXMLParserWrapper;

// A wrapper open on xml, with its top-level element r.
struct Opened {
    explicit Opened(const std::string& xml)
    {
        opened = xml_test::OpenText(wrapper, dir, xml);
        wrapper.GetRootNode("r", &root);
    }
    TempDir dir;
    xml_test::Wrapper wrapper;
    int opened = 0;
    CXMLNode root;
};

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";

// Replaces one system call for the life of the object (the POSIX layer's
// table; on Windows the system's own calls cannot be made to fail).
struct FailingCall {
    template <class Field, class Function>
    FailingCall(Field field, Function function)
    {
        filekit::g_sys.*field = function;
    }
    ~FailingCall() { filekit::g_sys = filekit::RealSysCalls(); }
};
#endif

TEST(WrapperNodes, EmptyNodeGivesZeroAndLeavesOutputsAlone)
{
    Opened doc("<r value='v'><a value='v'>t</a></r>");
    ASSERT_EQ(doc.opened, 1);
    CXMLNode kept;
    CString text;
    CXMLNodeList list;
    const std::function<int(CXMLNode&)> operations[] = {
        [&](CXMLNode& n) { return W::GetNodeName(n, text); },
        [&](CXMLNode& n) { return W::GetNodeValue(n, text); },
        [&](CXMLNode& n) { return W::SetNodeValue(n, "x"); },
        [&](CXMLNode& n) { return W::GetAttributeValue(n, "value", text); },
        [&](CXMLNode& n) { return W::GetNodeAttrValue(n, text); },
        [&](CXMLNode& n) { return W::AddAttribute(n, "k", "x"); },
        [&](CXMLNode& n) { return W::GetChildNode(n, "a", &kept); },
        [&](CXMLNode& n) { return W::GetChildNodeValue(n, "a", text); },
        [&](CXMLNode& n) { return W::GetChildNodeAttrValue(n, "a", text); },
        [&](CXMLNode& n) { return W::AddNewNode(n, "b", "x", &kept); },
        [&](CXMLNode& n) { return W::AddNewNodeAttr(n, "c", "x", &kept); },
        [&](CXMLNode& n) { return W::GetParentNode(n, &kept); },
        [&](CXMLNode& n) { return W::GetChildrenList(n, nullptr); },
        [&](CXMLNode& n) { return W::GetChildrenByName(n, "a", nullptr); },
        [&](CXMLNode& n) { return W::GetChildrenList(n, &list); },
        [&](CXMLNode& n) { return W::GetChildrenByName(n, "b", &list); },
    };
    int index = 0;
    for (const auto& operation : operations) {
        CXMLNode empty;
        kept = doc.root;
        text = "kept";
        list = CXMLNodeList();
        const int onEmpty = operation(empty);
        EXPECT_EQ(std::to_string(onEmpty) + Text(kept) + std::string(text) + std::to_string(list.GetSize()),
                  "0" + Text(doc.root) + "kept0")
            << "operation " << index;
        EXPECT_EQ(operation(doc.root), 1) << "operation " << index++;
    }
    EXPECT_EQ(doc.wrapper.Text(), "<r value=\"v\" k=\"x\"><a value=\"v\">t</a>x<b>x</b><c value=\"x\"/></r>");
    ASSERT_EQ(list.GetSize(), 1);
    EXPECT_EQ(Text(list.GetAt(0)), "<b>x</b>");
}

TEST(WrapperNodes, BuildingADocument)
{
    xml_test::Wrapper wrapper;
    CXMLNode root, node, attr, empty;
    ASSERT_EQ(Results({wrapper.Open(), wrapper.CreateRootNode("settings", &root)}), "11");
    EXPECT_EQ(Results({W::AddAttribute(root, "version", "1"), W::AddAttribute(root, "version", "2"),
                       W::AddAttribute(root, "bad name", "2"), W::AddNewNode(root, "name", "a & b", &node),
                       W::AddNewNode(root, "blank", "", nullptr), W::AddNewNodeAttr(root, "size", "10", &attr),
                       W::AddNewNode(node, "inner", "x", nullptr),  // after the text
                       W::AddNewNodeAttr(attr, "bad name", "y", &empty), empty.IsElement()}),  // nameless
              "110111111");
    CXMLNode text = node.GetChildAt(0);
    EXPECT_EQ(W::AddNewNode(text, "child", "x", &empty), 0);
    EXPECT_EQ(wrapper.Text(), "<settings version=\"2\"><name>a &amp; b<inner>x</inner></name><blank/>"
                              "<size value=\"10\"><:anonymous value=\"y\"/></size></settings>");
    CString name, value, textName = "-";
    EXPECT_EQ(Results({W::GetNodeName(node, name), W::GetNodeAttrValue(attr, value), W::GetNodeName(text, textName)}),
              "111");
    EXPECT_EQ(std::string(name) + "|" + std::string(value) + "|" + std::string(textName), "name|10|");
}

TEST(WrapperDocument, ClosedWrapperRefusesAndOpenWrapperKeepsItsDocument)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    CXMLNode kept;
    EXPECT_EQ(Results({wrapper.IsOpen(), wrapper.Close(), wrapper.Save(dir.Path("x.xml").c_str()),
                       wrapper.EmptyDocument(), wrapper.GetRootNode("r", &kept), wrapper.CreateRootNode("r", &kept),
                       kept.IsEmpty(), filekit_test::Exists(dir.Path("x.xml"))}),
              "00000010");
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, "<r><a/></r>"), 1);
    EXPECT_EQ(Results({wrapper.Open(), wrapper.Open(dir.Path("in.xml").c_str()), wrapper.IsOpen(),
                       wrapper.GetRootNode("a", &kept),  // a top-level element of another name
                       kept.IsEmpty(), wrapper.GetRootNode("r", nullptr), wrapper.CreateRootNode("r", nullptr),
                       wrapper.CreateRootNode("r", &kept)}),
              "00101111");
    EXPECT_EQ(Text(kept) + " " + wrapper.Text(), "<r/> <r><a/></r><r/><r/>");
    EXPECT_EQ(Results({wrapper.EmptyDocument(), wrapper.GetRootNode("r", &kept)}), "10");
    EXPECT_EQ(wrapper.Text(), "");
    EXPECT_EQ(Results({wrapper.Close(), wrapper.Close(), wrapper.IsOpen(), wrapper.Open()}), "1001");
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
    for (const std::string& path : {dir.Path("missing/out.xml"), dir.Root().string(), std::string()})
        EXPECT_EQ(wrapper.Save(path.c_str()), 0) << path;
#ifndef _WIN32
    {
        FailingCall full(&filekit::SysCalls::write, [](int, const void*, size_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        });
        EXPECT_EQ(wrapper.Save(dir.Path("full.xml").c_str()), 0);
    }
#endif
    EXPECT_EQ(std::to_string(wrapper.IsOpen()) + wrapper.Text(), "1<r a=\"1\"><b>x</b></r>");
    ASSERT_EQ(wrapper.Save(dir.Path("again.xml").c_str()), 1);
    EXPECT_EQ(ReadBytes(dir.Path("again.xml")), StoredText(expected));
}

TEST(WrapperDocument, InputThatIsNotADocumentIsRefused)
{
    const std::string rows[] = {"",           "hello, world\n", std::string("\x00\x01\xFF\xFE\x80\x00<", 7),
                                "<r><a></r>", "<r a=1/>",       "<!-- nothing -->"};
    for (const std::string& bytes : rows) {
        TempDir dir;
        xml_test::Wrapper wrapper;
        const int opened = xml_test::OpenText(wrapper, dir, bytes);
        EXPECT_EQ(std::to_string(opened) + std::to_string(wrapper.IsOpen()) + wrapper.Text(), "00<closed>") << bytes;
    }
    TempDir dir;
    CXMLParserWrapper wrapper;
    WriteBytes(dir.Path("ok.xml"), "<r/>");
    EXPECT_EQ(Results({wrapper.Open(dir.Path("missing.xml").c_str()), wrapper.Open(dir.Root().c_str()),
                       wrapper.Open(kNullDevice)}),
              "000");
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
    constexpr size_t kDepth = 1000000;  // a million levels: open, save and copy without recursion
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, xml_test::Chain(kDepth, false)), 1);
    ASSERT_EQ(wrapper.Save(dir.Path("out.xml").c_str()), 1);
    EXPECT_TRUE(ReadBytes(dir.Path("out.xml")) == StoredText(xml_test::Chain(kDepth, false)));
    CXMLParserWrapper copy(wrapper);
    EXPECT_EQ(wrapper.Close() + copy.Close(), 2);

    const std::string item = "<item id='12345'>some text &amp; more</item>\n";
    const size_t count = size_t{100} * 1024 * 1024 / item.size();  // 100 MB
    std::string xml = "<r>\n";
    xml.reserve(count * item.size() + 10);
    for (size_t i = 0; i < count; ++i) xml += item;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, xml + "</r>\n"), 1);
    CXMLNode root;
    CXMLNodeList list;
    ASSERT_EQ(Results({wrapper.GetRootNode("r", &root), W::GetChildrenByName(root, "item", &list)}), "11");
    EXPECT_EQ(static_cast<size_t>(list.GetSize()), count);
}

TEST(WrapperDocument, CopiesHoldTheirOwnDocument)
{
    TempDir dir;
    xml_test::Wrapper original, closed;
    ASSERT_EQ(xml_test::OpenText(original, dir, "<r><a>1</a></r>"), 1);
    xml_test::Wrapper copy(original), copyOfClosed(closed);
    CXMLNode root;
    ASSERT_EQ(Results({copy.GetRootNode("r", &root), W::AddNewNode(root, "b", "2", nullptr)}), "11");
    EXPECT_EQ(original.Text() + " " + copy.Text() + " " + copyOfClosed.Text(),
              "<r><a>1</a></r> <r><a>1</a><b>2</b></r> <closed>");
    copy = closed;  // releases the copy's document
    EXPECT_EQ(copy.Text(), "<closed>");
    closed = original;
    const xml_test::Wrapper& self = closed;
    closed = self;
    EXPECT_EQ(closed.Text(), "<r><a>1</a></r>");
    EXPECT_EQ(original.Close() + closed.IsOpen(), 2);
}

}  // namespace
