// SPDX-License-Identifier: MIT
// The XML family's cases, one file each under tests/data/xml: an input
// document, a script of calls on wrappers, XML files and node handles, and
// texts that files the script writes must hold.
#include <filekit/XMLFile.h>

#include "support/Cases.h"
#include "xml/xmlsdk/Handles.h"

namespace {

using namespace filekit_test;
using XMLSDK::CXMLNode;
using W = CXMLParserWrapper;

// A node and everything below it in compact form (no declaration, no
// indentation), or "<empty>" for an empty handle.
std::string Text(const CXMLNode& node)
{
    std::ostringstream out;
    if (!node.IsEmpty()) filekit::xml::ToBackEnd(node).print(out, "", pugi::format_raw);
    return node.IsEmpty() ? "<empty>" : out.str();
}

// A wrapper whose whole document can be read as text.
struct Wrapper : CXMLParserWrapper {
    std::string Text() { return GetDocument() ? ::Text(CXMLNode(*GetDocument())) : "<closed>"; }
};

// An XML file whose hooks record what they see: LoadData the file's and
// the wrapper's open flags and the root element (whose version it reads);
// SaveData builds a root element with the version and two items. With
// plain set, the hooks are CXMLFile's own.
struct RecordingFile : CVersionableXMLFile {
    std::string calls;
    int loadResult = 1, saveResult = 1, openOverride = -1;  // -1: CXMLFile's own IsOpen
    bool plain = false;

    int IsOpen() override { return openOverride < 0 ? CXMLFile::IsOpen() : openOverride; }
    CXMLNode Root(bool create = false)
    {
        CXMLNode root;
        return (create ? m_XMLParser.CreateRootNode("root", &root) : m_XMLParser.GetRootNode("root", &root)), root;
    }
    using CVersionableXMLFile::LoadVersion, CVersionableXMLFile::SaveVersion, CXMLFile::m_strFile,
        CXMLFile::m_XMLParser;

    int LoadData() override
    {
        if (plain) return CXMLFile::LoadData();
        CXMLNode root = Root();
        LoadVersion(root);
        calls += "load" + std::to_string(m_bOpen) + std::to_string(m_XMLParser.IsOpen()) + Text(Root()) + " ";
        return loadResult;
    }
    int SaveData() override
    {
        if (plain) return CXMLFile::SaveData();
        CXMLNode root = Root(true);
        SaveVersion(root);
        for (const char* item : {"a", "b"}) W::AddNewNode(root, "item", item, nullptr);
        return calls += "save ", saveResult;
    }
};

// Every conversion of an attribute: text, pointer, long, double, bool.
std::string Conversions(const XMLSDK::CXMLAttribute& attribute)
{
    const std::string text = attribute;
    const char* pointer = attribute;
    std::ostringstream out;
    out << '"' << text << "\" " << (pointer ? pointer : "null") << ' ' << static_cast<long>(attribute) << ' '
        << static_cast<double>(attribute) << ' ' << static_cast<bool>(attribute);
    return out.str();
}

// A case runs its script on objects named by the script: wrappers ("w"
// unless the operation says "name:"), XML files ("f"), node handles, node
// lists, and one parser.
struct XmlCase : testing::TestWithParam<std::string> {
    std::string Do(const std::string& call, const Args& a);
    std::string PathOf(const std::string& arg) const { return PathIn(dir, "in.xml", arg); }
    CXMLNode* Node(const std::string& name) { return name == "~" ? nullptr : &nodes[name]; }

    const CaseFile test{"xml", GetParam()};
    TempDir dir;
    std::map<std::string, Wrapper> wrappers;
    std::map<std::string, RecordingFile> files;
    std::map<std::string, CXMLNode> nodes;
    std::map<std::string, XMLSDK::CXMLNodeList> lists;
    XMLSDK::CXMLParser parser;
};

std::string XmlCase::Do(const std::string& call, const Args& a)
{
    const size_t colon = call.find(':');
    const std::string op = call.substr(colon + 1), object = colon == std::string::npos ? "" : call.substr(0, colon);
    Wrapper& w = wrappers[object.empty() ? "w" : object];
    RecordingFile& f = files[object.empty() ? "f" : object];
    const auto r = [](long result) { return std::to_string(result); };
    const auto node = [&](size_t i) -> CXMLNode& { return nodes[a[i]]; };
    const auto list = [&](size_t i) { return a[i] == "~" ? nullptr : &lists[a[i]]; };
    CString text = "kept";  // a string output left alone prints "kept"
    const auto withText = [&](int result) { return r(result) + " " + std::string(text); };
    long length = -7;
    std::string all;  // the items of a list or the children of a node, one after another
    static const std::vector<std::string> types = {"null", "document", "element", "pcdata", "cdata"};

    // The wrapper and its document.
    if (op == "Open") return r(a.empty() ? w.Open() : w.Open(PathOf(a[0]).c_str()));
    if (op == "Close") return r(w.Close());
    if (op == "IsOpen") return r(w.IsOpen());
    if (op == "Save") return r(w.Save(PathOf(a[0]).c_str()));
    if (op == "EmptyDocument") return r(w.EmptyDocument());
    if (op == "GetRootNode") return r(w.GetRootNode(a[0].c_str(), Node(a[1])));
    if (op == "CreateRootNode") return r(w.CreateRootNode(a[0].c_str(), Node(a[1])));
    if (op == "Document") return w.Text();
    if (op == "CopyOf") return wrappers.erase(object), wrappers.emplace(object, wrappers[a[0]]), "";
    if (op == "Assign") return w = wrappers[a[0]], "";
    // The wrapper's node operations.
    if (op == "GetNodeName") return withText(W::GetNodeName(node(0), text));
    if (op == "GetNodeValue") return withText(W::GetNodeValue(node(0), text));
    if (op == "SetNodeValue") return r(W::SetNodeValue(node(0), a[1].c_str()));
    if (op == "GetAttributeValue") return withText(W::GetAttributeValue(node(0), a[1].c_str(), text));
    if (op == "GetNodeAttrValue") return withText(W::GetNodeAttrValue(node(0), text));
    if (op == "AddAttribute") return r(W::AddAttribute(node(0), a[1].c_str(), a[2].c_str()));
    if (op == "GetChildNode") return r(W::GetChildNode(node(0), a[1].c_str(), Node(a[2])));
    if (op == "GetChildNodeValue") return withText(W::GetChildNodeValue(node(0), a[1].c_str(), text));
    if (op == "GetChildNodeAttrValue") return withText(W::GetChildNodeAttrValue(node(0), a[1].c_str(), text));
    if (op == "AddNewNode") return r(W::AddNewNode(node(0), a[1].c_str(), a[2].c_str(), Node(a[3])));
    if (op == "AddNewNodeAttr") return r(W::AddNewNodeAttr(node(0), a[1].c_str(), a[2].c_str(), Node(a[3])));
    if (op == "GetParentNode") return r(W::GetParentNode(node(0), Node(a[1])));
    if (op == "GetChildrenList") return r(W::GetChildrenList(node(0), list(1)));
    if (op == "GetChildrenByName") return r(W::GetChildrenByName(node(0), a[1].c_str(), list(2)));
    if (op == "GetListLength") return all = r(W::GetListLength(lists[a[0]], &length)), all + " " + r(length);
    if (op == "GetNodeAt") return r(W::GetNodeAt(lists[a[0]], std::stoi(a[1]), Node(a[2])));
    // Handles, lists and the parser underneath.
    if (op == "Text") return Text(node(0));
    for (long i = 0; op == "ListText" && i < lists[a[0]].GetSize(); ++i) all += Text(lists[a[0]].GetAt(i));
    if (op == "ListText") return all;
    if (op == "Kind")  // empty, root, element, character data
        return r(node(0).IsEmpty()) + r(node(0).IsRoot()) + r(node(0).IsElement()) + r(node(0).IsPCDATA());
    for (unsigned i = 0; op == "Children" && i <= node(0).GetChildrenCount(); ++i) {  // and one past the last
        const CXMLNode child = node(0).GetChildAt(i);
        const char* const kind = child.IsEmpty() ? "-:" : child.IsPCDATA() ? "t:" : "e:";
        all += kind + std::string(child.GetName()) + "=" + child.GetValue() + " ";
    }
    if (op == "Children") return all;  // kind:name=value of each child
    if (op == "ChildAt") return node(2) = node(0).GetChildAt(static_cast<unsigned>(std::stoi(a[1]))), "";
    if (op == "Child") return node(2) = node(0).GetChild(a[1].c_str()), "";
    if (op == "Parent") return node(1) = node(0).GetParent(), "";
    if (op == "Same") return r(static_cast<XMLSDK::TAG_XMLNODE*>(node(0)) == node(1));
    if (op == "SetName") return r(node(0).SetName(a[1].c_str()));
    if (op == "SetValue") return r(node(0).SetValue(a[1].c_str()));
    const auto type = [&] {
        return XMLSDK::TAG_XMLNODETYPE(std::find(types.begin(), types.end(), a[1]) - types.begin());
    };
    if (op == "Append") return node(2) = node(0).AppendChild(type()), r(!node(2).IsEmpty());
    if (op == "List") return r(node(0).GetChildrenList(a[1] == "~" ? nullptr : a[1].c_str(), lists[a[2]]));
    if (op == "Attribute") return Conversions(node(0).GetAttribute(a[1].c_str()));
    if (op == "NewAttribute") return Conversions(node(0).AddAttribute(a[1].c_str(), a[2].c_str()));
    if (op == "NoAttribute") return r(node(0).AddAttribute(a[1].c_str(), "v").IsEmpty());
    if (op == "Parser.Create") return r(parser.Create());
    if (op == "Parser.Clear") return parser.Clear(), "";
    if (op == "Parser.Document") return node(0) = parser.GetDocument(), r(!node(0).IsEmpty());
    if (op == "Parser.Save") return r(parser.Save(PathOf(a[0]).c_str()));
    // Files, and what they wrote: "same" when a file holds a section of
    // the case, stored as text.
    if (op == "Holds") return all = ReadBytes(PathOf(a[0])), all == StoredText(test[a[1]]) ? "same" : all;
    if (op == "Exists") return r(Exists(PathOf(a[0])));
    if (op == "FileOpen") return r(f.Open(PathOf(a[0]).c_str(), std::stoi(a[1])));
    if (op == "FileClose") return r(f.Close());
    if (op == "FileIsOpen") return r(f.IsOpen());
    if (op == "FilePrepareData") return r(f.PrepareData());
    if (op == "FileSave") return r(a.empty() ? f.Save() : f.Save(PathOf(a[0]).c_str()));
    if (op == "FileSetVersion") return f.SetVersion(a[0].c_str()), "";
    if (op == "FileVersion") return std::string(f.GetVersion());
    if (op == "FileCalls") return std::exchange(f.calls, "");
    if (op == "FilePath") return std::string(f.m_strFile) == PathOf(a[0]) ? "same" : std::string(f.m_strFile);
    if (op == "FileRoot") return Text(f.Root());
    if (op == "FileWrapper") return r(std::stoi(a[0]) ? f.m_XMLParser.IsOpen() : f.m_XMLParser.Close());
    if (op == "FileHooks") return f.loadResult = std::stoi(a[0]), f.saveResult = std::stoi(a[1]), "";
    if (op == "FileIsOpenGives") return f.openOverride = std::stoi(a[0]), "";
    if (op == "FilePlain") return f.plain = true, "";
    if (op == "FileCopyOf") return files.erase(object), files.emplace(object, files[a[0]]), "";
    if (op == "FileAssign") return f = files[a[0]], "";
    if (op == "LoadVersion") return r(f.LoadVersion(node(0)));
    if (op == "SaveVersion") return r(f.SaveVersion(node(0)));
    return "unknown operation " + op;
}

TEST_P(XmlCase, Runs)
{
    if (test.Has("input")) WriteBytes(dir.Path("in.xml"), test["input"]);
    RunLines(ScriptLines(GetParam(), test.sections.at("script")),
             [&](const std::string& op, const Args& a) { return Do(op, a); });
}

INSTANTIATE_TEST_SUITE_P(Data, XmlCase, testing::ValuesIn(DataFiles("xml")), CaseName);

}  // namespace
