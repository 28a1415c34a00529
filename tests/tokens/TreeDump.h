// Test support: a whole token tree as one line of text, so that a test
// compares the entire tree in one assertion.
#ifndef FILEKIT_TESTS_TOKENS_TREEDUMP_H
#define FILEKIT_TESTS_TOKENS_TREEDUMP_H

#include <filekit/TokenNode.h>

#include <string>

namespace filekit_test {

// "name=value", with "#type/flag" when either is not 0.
template <class Item>
std::string Fields(const Item& item)
{
    const bool numbers = item.GetType() || item.GetFlag();
    return std::string(item.GetName()) + "=" + std::string(item.GetValue()) +
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

}  // namespace filekit_test

#endif
