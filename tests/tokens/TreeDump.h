// Test support: token trees written as one line of text and read back from
// it, so that a case file gives a whole tree and a test compares one. The
// notation is described in tests/data/README.md.
#ifndef FILEKIT_TESTS_TOKENS_TREEDUMP_H
#define FILEKIT_TESTS_TOKENS_TREEDUMP_H

#include <filekit/TokenNode.h>

#include "support/Script.h"

#include <algorithm>
#include <string>

namespace filekit_test {

// "name=value", with "#type/flag" when either is not 0; spaces and other
// bytes the notation uses are escaped.
template <class Item>
std::string Fields(const Item& item)
{
    const auto text = [](const CString& s) { return s.IsEmpty() ? std::string() : Escape(std::string(s)); };
    const bool numbers = item.GetType() || item.GetFlag();
    return text(item.GetName()) + "=" + text(item.GetValue()) +
           (numbers ? "#" + std::to_string(item.GetType()) + "/" + std::to_string(item.GetFlag()) : "");
}

// The node's fields, its attributes in parentheses, its children in
// brackets; a null entry reads "_", a child whose GetParent() is not the
// node holding it is marked "^!".
inline std::string Dump(CTokenNode* node)
{
    std::string text = Fields(*node);
    for (int i = 0; i < node->GetAttributeCount(); ++i)
        text += (i ? " " : "(") + Fields(*node->GetAttributeAt(i)) + (i + 1 < node->GetAttributeCount() ? "" : ")");
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CTokenNode* child = node->GetChildAt(i);
        text += i ? "," : "[";
        text += child ? Dump(child) + (child->GetParent() == node ? "" : "^!") : "_";
        text += i + 1 < node->GetChildCount() ? "" : "]";
    }
    return text;
}

// Reads the notation Dump writes into node, from text[at]; returns the
// position after it.
inline size_t Parse(const std::string& text, size_t at, CTokenNode* node)
{
    const auto field = [&text, &at](const char* stops) {  // the text up to the next stop
        const size_t end = std::min(text.find_first_of(stops, at), text.size());
        const std::string value = Unescape(text.substr(at, end - at));
        at = end;
        return CString(value.data(), static_cast<int>(value.size()));
    };
    const auto value = [&](auto& item, const char* stops) {  // the value, then #type/flag when given
        item.SetValue(field(stops));
        if (text[at] != '#') return;
        item.SetType(std::stoi(std::string((++at, field("/")))));
        item.SetFlag(std::stoi(std::string((++at, field(stops)))));
    };
    node->SetName(field("="));
    value(*node, (++at, "#([,)] "));
    for (bool more = text[at] == '('; more; more = text[at] == ' ') {
        const CString name = (++at, field("="));
        value(*node->AddAttribute(name, "", 0, 0), (++at, "#) "));
        at += text[at] == ')';
    }
    const bool children = text[at] == '[';
    for (bool more = children; more; more = text[at] == ',') {
        const int count = node->GetChildCount();
        if (text[++at] != '_') {
            at = Parse(text, at, node->AddChild("", "", 0, 0));
            continue;
        }
        node->InsertChildAt(count + 1, "", "", 0, 0);  // a null entry: left behind by an insertion past the end
        node->RemoveChildAt(count + 1);
        ++at;
    }
    return at + children;  // past ']'
}

// The first node named name in the subtree, depth first; nullptr if none.
inline CTokenNode* Find(CTokenNode* node, const std::string& name)
{
    if (!node || node->GetName() == name.c_str()) return node;
    for (int i = 0; i < node->GetChildCount(); ++i)
        if (CTokenNode* found = Find(node->GetChildAt(i), name)) return found;
    return nullptr;
}

}  // namespace filekit_test

#endif
