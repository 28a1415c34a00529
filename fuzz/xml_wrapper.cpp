// SPDX-License-Identifier: MIT
// Fuzz target: the XML wrapper. The input is an edit program (a length byte
// and that many bytes) followed by a document. The document is opened and
// walked with every static read operation, each checked against the node
// handles; then the program's edits are applied and checked, the document
// saved, reopened and saved again: the two saved files must be the same
// bytes and hold the same elements.
#include <filekit/XMLParserWrapper.h>

#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using filekit_fuzz::Input;
using filekit_fuzz::ScratchFolder;
using filekit_fuzz::ToCString;
using XMLSDK::CXMLNode;
using XMLSDK::CXMLNodeList;

namespace {

using W = CXMLParserWrapper;

class Wrapper : public CXMLParserWrapper {
public:
    using CXMLParserWrapper::GetDocument;
    CXMLNode Document() { return GetDocument() ? GetDocument()->GetDocument() : CXMLNode(); }
};

// Whether two handles refer to the same node (or both to none).
bool Same(const CXMLNode& a, const CXMLNode& b)
{
    return static_cast<XMLSDK::TAG_XMLNODE*>(a) == static_cast<XMLSDK::TAG_XMLNODE*>(b);
}

constexpr size_t kCheckedChildren = 16;  // children compared one by one, per node
const char* const kNoSuchName = "no-such-name";

// Every node of the document, the document node first, in document order,
// each with its depth below the document node.
std::vector<std::pair<CXMLNode, int>> Nodes(const CXMLNode& document)
{
    std::vector<std::pair<CXMLNode, int>> nodes;
    std::vector<std::pair<CXMLNode, int>> pending{{document, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        nodes.emplace_back(node, depth);
        CXMLNodeList children;
        node.GetChildrenList(nullptr, children);
        for (long i = children.GetSize(); i-- > 0;) pending.emplace_back(children.GetAt(i), depth + 1);
    }
    return nodes;
}

bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string AttributeText(const CXMLNode& node, const char* name)
{
    const XMLSDK::CXMLAttribute attribute = node.GetAttribute(name);
    return attribute.IsEmpty() ? std::string("-") : "=" + std::string(attribute.GetValue());
}

// What a save and a read must keep: each element with its depth, name (a
// nameless one as it is saved) and two attributes, and the character data
// between them. Reading drops text made only of whitespace, makes line ends
// LF and joins neighbouring text, so whitespace is left out and the text
// between two elements is kept as one piece.
std::vector<std::string> Content(const std::vector<std::pair<CXMLNode, int>>& nodes)
{
    std::vector<std::string> content;
    bool inText = false;
    for (const auto& [node, depth] : nodes) {
        if (node.IsElement()) {
            content.push_back(std::to_string(depth) + "<" + (*node.GetName() ? node.GetName() : ":anonymous") +
                              " value" + AttributeText(node, "value") + " a" + AttributeText(node, "a"));
            inText = false;
        } else if (node.IsPCDATA()) {
            std::string text = node.GetValue();
            text.erase(std::remove_if(text.begin(), text.end(), IsWhitespace), text.end());
            if (!inText) content.push_back(std::to_string(depth) + ":");
            content.back() += text;
            inText = true;
        }
    }
    return content;
}

// An attribute read through the wrapper: the value, or null when missing.
void CheckAttribute(CXMLNode& node, const char* name)
{
    CString value = "untouched";
    const XMLSDK::CXMLAttribute attribute = node.GetAttribute(name);
    FUZZ_CHECK(W::GetAttributeValue(node, name, value) == (attribute.IsEmpty() ? 0 : 1));
    FUZZ_CHECK(value == (attribute.IsEmpty() ? "untouched" : attribute.GetValue()));
}

// The child operations by name, for a name that child elements carry.
void CheckChildByName(CXMLNode& node, const char* name)
{
    const CXMLNode first = node.GetChild(name);
    FUZZ_CHECK(!first.IsEmpty() && first.IsElement() && std::strcmp(first.GetName(), name) == 0);
    CXMLNode child;
    FUZZ_CHECK(W::GetChildNode(node, name, &child) == 1 && Same(child, first));
    CString value;
    FUZZ_CHECK(W::GetChildNodeValue(node, name, value) == 1 && value == first.GetValue());
    CString attribute = "untouched";
    const bool has = !first.GetAttribute(W::CST_TAG_ATTR_VALUE).IsEmpty();
    FUZZ_CHECK(W::GetChildNodeAttrValue(node, name, attribute) == (has ? 1 : 0));
    if (has) FUZZ_CHECK(attribute == first.GetAttribute(W::CST_TAG_ATTR_VALUE).GetValue());

    CXMLNodeList named;
    FUZZ_CHECK(W::GetChildrenByName(node, name, &named) == 1);
    FUZZ_CHECK(named.GetSize() > 0 && Same(named.GetAt(0), first));
    for (long i = 0; i < named.GetSize(); ++i)
        FUZZ_CHECK(Same(named.GetAt(i).GetParent(), node) && std::strcmp(named.GetAt(i).GetName(), name) == 0);
}

// node's first character-data child, found by walking the children, or an
// empty handle.
CXMLNode FirstTextChild(const CXMLNode& node)
{
    CXMLNodeList children;
    node.GetChildrenList(nullptr, children);
    for (long i = 0; i < children.GetSize(); ++i)
        if (children.GetAt(i).IsPCDATA()) return children.GetAt(i);
    return CXMLNode();
}

const char* FirstTextChildValue(const CXMLNode& node)
{
    const CXMLNode text = FirstTextChild(node);
    return text.IsEmpty() ? "" : text.GetValue();
}

// Every static read operation on one node, checked against the handles.
void CheckNode(CXMLNode& node)
{
    CString text;
    FUZZ_CHECK(W::GetNodeName(node, text) == 1 && text == node.GetName());
    // The wrapper's value is the first character-data child's text, for
    // the document node too; character data has no children, so none.
    FUZZ_CHECK(W::GetNodeValue(node, text) == 1 && text == FirstTextChildValue(node));
    CheckAttribute(node, W::CST_TAG_ATTR_VALUE);
    CheckAttribute(node, "a");
    CString attribute = "untouched";
    const XMLSDK::CXMLAttribute own = node.GetAttribute(W::CST_TAG_ATTR_VALUE);
    FUZZ_CHECK(W::GetNodeAttrValue(node, attribute) == (own.IsEmpty() ? 0 : 1));
    FUZZ_CHECK(attribute == (own.IsEmpty() ? "untouched" : own.GetValue()));

    CXMLNode parent;
    const int hasParent = W::GetParentNode(node, &parent);
    FUZZ_CHECK(hasParent == (node.IsRoot() ? 0 : 1));
    if (hasParent) FUZZ_CHECK(Same(parent, node.GetParent().IsRoot() ? CXMLNode() : node.GetParent()));

    CXMLNodeList children;
    long length = -1;
    FUZZ_CHECK(W::GetChildrenList(node, &children) == 1 && W::GetListLength(children, &length) == 1);
    FUZZ_CHECK(length == static_cast<long>(node.GetChildrenCount()));
    FUZZ_CHECK(W::GetListLength(children, nullptr) == 1);
    std::string firstText;
    bool textSeen = false;
    for (long i = 0; i < length; ++i) {
        CXMLNode child;
        FUZZ_CHECK(W::GetNodeAt(children, static_cast<int>(i), &child) == 1);
        FUZZ_CHECK(Same(child.GetParent(), node));
        if (static_cast<size_t>(i) < kCheckedChildren)
            FUZZ_CHECK(Same(child, node.GetChildAt(static_cast<unsigned>(i))));
        if (child.IsPCDATA() && !textSeen) {
            firstText = child.GetValue();
            textSeen = true;
        }
        if (child.IsElement() && *child.GetName() && static_cast<size_t>(i) < kCheckedChildren)
            CheckChildByName(node, child.GetName());
    }
    if (node.IsElement()) FUZZ_CHECK(firstText == node.GetValue());
    CXMLNode outside;
    FUZZ_CHECK(W::GetNodeAt(children, static_cast<int>(length), &outside) == 0 && outside.IsEmpty());
    FUZZ_CHECK(W::GetNodeAt(children, -1, &outside) == 0 && outside.IsEmpty());
    FUZZ_CHECK(W::GetChildNode(node, kNoSuchName, &outside) == 0 && outside.IsEmpty());
    CXMLNodeList none;
    FUZZ_CHECK(W::GetChildrenByName(node, kNoSuchName, &none) == 1 && none.GetSize() == 0);
}

void CheckEmptyNode()
{
    CXMLNode empty;
    CString text = "untouched";
    CXMLNode out;
    CXMLNodeList list;
    FUZZ_CHECK(W::GetNodeName(empty, text) == 0 && W::GetNodeValue(empty, text) == 0);
    FUZZ_CHECK(W::GetNodeAttrValue(empty, text) == 0 && W::GetChildNodeValue(empty, "a", text) == 0);
    FUZZ_CHECK(W::GetParentNode(empty, &out) == 0 && W::GetChildNode(empty, "a", &out) == 0);
    FUZZ_CHECK(W::GetChildrenList(empty, &list) == 0 && W::SetNodeValue(empty, "v") == 0);
    FUZZ_CHECK(W::AddNewNode(empty, "a", "v", &out) == 0 && out.IsEmpty() && text == "untouched");
}

std::vector<std::pair<CXMLNode, int>> Walk(Wrapper& wrapper)
{
    std::vector<std::pair<CXMLNode, int>> nodes = Nodes(wrapper.Document());
    for (auto& entry : nodes) CheckNode(entry.first);
    return nodes;
}

// Names that are XML names, names that are not, and names from the input.
std::string Name(Input& program, bool* valid, bool* invalid)
{
    static const char* const validNames[] = {"value", "a", "x:y", "_b-1.c"};
    static const char* const invalidNames[] = {"", "1a", "a b", "<", "-x"};
    const int choice = program.Between(0, 9);
    *valid = choice < 4;
    *invalid = choice >= 4 && choice < 9;
    if (*valid) return validNames[choice];
    if (*invalid) return invalidNames[choice - 4];
    return program.Text(12);
}

// A text up to its first zero byte, as the operations take it.
std::string AsTaken(const std::string& text) { return text.substr(0, text.find('\0')); }

void ApplyEdit(Wrapper& wrapper, Input& program)
{
    CXMLNode node = wrapper.Document();
    for (int step = program.Between(0, 15); step > 0 && node.GetChildrenCount() > 0; --step)
        node = node.GetChildAt(program.Byte() % node.GetChildrenCount());
    bool valid = false, invalid = false;
    const int operation = program.Between(0, 5);
    const std::string name = Name(program, &valid, &invalid);
    const std::string value = "v" + program.Text(12);  // never blank: blank text is not kept by a read
    CString read;
    CXMLNode added;
    switch (operation) {
    case 0: {
        // A node that has a text child, of any type, gets it changed; an
        // element without one gets one appended.
        const bool settable = node.IsElement() || !FirstTextChild(node).IsEmpty();
        FUZZ_CHECK(W::SetNodeValue(node, ToCString(value)) == (settable ? 1 : 0));
        FUZZ_CHECK(W::GetNodeValue(node, read) == 1);
        if (settable) FUZZ_CHECK(read == AsTaken(value).c_str());
        break;
    }
    case 1: {
        const int result = W::AddAttribute(node, ToCString(name), ToCString(value));
        if (!node.IsElement() || invalid) FUZZ_CHECK(result == 0);
        if (node.IsElement() && valid) FUZZ_CHECK(result == 1);
        if (result)
            FUZZ_CHECK(W::GetAttributeValue(node, ToCString(name), read) == 1 && read == AsTaken(value).c_str());
        break;
    }
    case 2:
    case 3: {
        const bool inAttribute = operation == 3;
        const int result = inAttribute ? W::AddNewNodeAttr(node, ToCString(name), ToCString(value), &added)
                                       : W::AddNewNode(node, ToCString(name), ToCString(value), &added);
        // Elements and the document take child elements; character data none.
        FUZZ_CHECK(result == (node.IsPCDATA() ? 0 : 1));
        if (!result) {
            FUZZ_CHECK(added.IsEmpty());
            break;
        }
        FUZZ_CHECK(added.IsElement() && Same(added.GetParent(), node));
        FUZZ_CHECK(Same(added, node.GetChildAt(node.GetChildrenCount() - 1)));
        if (valid || invalid) FUZZ_CHECK(std::strcmp(added.GetName(), valid ? name.c_str() : "") == 0);
        FUZZ_CHECK(inAttribute ? W::GetNodeAttrValue(added, read) == 1 : W::GetNodeValue(added, read) == 1);
        FUZZ_CHECK(read == AsTaken(value).c_str());
        break;
    }
    case 4:
        FUZZ_CHECK(wrapper.CreateRootNode(ToCString(name), &added) == 1);
        FUZZ_CHECK(added.IsElement() && Same(added.GetParent(), wrapper.Document()));
        if (valid) FUZZ_CHECK(wrapper.GetRootNode(ToCString(name), &added) == 1 && added.GetName() == name);
        break;
    default: FUZZ_CHECK(wrapper.EmptyDocument() == 1 && wrapper.Document().GetChildrenCount() == 0); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const std::string editBytes = input.Text(255);
    const std::string source = ScratchFolder().Path("source.xml");
    const std::string saved = ScratchFolder().Path("saved.xml");
    const std::string savedAgain = ScratchFolder().Path("again.xml");
    filekit_test::WriteBytes(source, input.Rest());
    CheckEmptyNode();

    Wrapper wrapper;
    if (!wrapper.Open(ToCString(source))) {
        FUZZ_CHECK(wrapper.IsOpen() == 0 && wrapper.Close() == 0 && wrapper.Save(ToCString(saved)) == 0);
        FUZZ_CHECK(wrapper.Open() == 1 && wrapper.Document().GetChildrenCount() == 0);
    }
    FUZZ_CHECK(wrapper.IsOpen() == 1 && wrapper.Open() == 0);
    Walk(wrapper);

    Input program(reinterpret_cast<const uint8_t*>(editBytes.data()), editBytes.size());
    while (!program.Empty()) ApplyEdit(wrapper, program);
    const std::vector<std::string> content = Content(Walk(wrapper));

    // A copy holds the same content and changes on its own.
    Wrapper copy(wrapper);
    CXMLNode extra;
    FUZZ_CHECK(copy.CreateRootNode("extra", &extra) == 1);
    std::vector<std::string> copied = content;
    copied.push_back("1<extra value- a-");
    FUZZ_CHECK(Content(Walk(copy)) == copied);
    FUZZ_CHECK(Content(Nodes(wrapper.Document())) == content);
    FUZZ_CHECK(wrapper.Save(ToCString(saved)) == 1);

    // The document read back holds the same content; saved again and read
    // once more, it gives the same bytes.
    Wrapper again;
    const bool hasElement = wrapper.Document().GetChildrenCount() > 0;
    FUZZ_CHECK(again.Open(ToCString(saved)) == (hasElement ? 1 : 0));
    if (!hasElement) return 0;
    FUZZ_CHECK(Content(Walk(again)) == content);
    FUZZ_CHECK(again.Save(ToCString(saved)) == 1);
    Wrapper third;
    FUZZ_CHECK(third.Open(ToCString(saved)) == 1 && third.Save(ToCString(savedAgain)) == 1);
    FUZZ_CHECK(filekit_test::ReadBytes(savedAgain) == filekit_test::ReadBytes(saved));
    FUZZ_CHECK(wrapper.Close() == 1 && wrapper.IsOpen() == 0);
    return 0;
}
