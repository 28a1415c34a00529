// Test support: a whole token tree as one line of text, so that a test
// compares the entire tree in one assertion.
#ifndef FILEKIT_TESTS_TOKENS_TREEDUMP_H
#define FILEKIT_TESTS_TOKENS_TREEDUMP_H

#include <filekit/TokenNode.h>

#include <string>

namespace filekit_test {

// name=value, then "#type/flag" when either is not 0, the attributes in
// parentheses, the children in brackets. A null entry reads "_"; a child
// whose GetParent() is not the node holding it is marked "^!".
inline std::string Dump(CTokenNode* node)
{
    auto fields = [](const CString& name, const CString& value, int type, int flag) {
        std::string text = std::string(name) + "=" + std::string(value);
        if (type || flag) text += "#" + std::to_string(type) + "/" + std::to_string(flag);
        return text;
    };
    std::string text = fields(node->GetName(), node->GetValue(), node->GetType(), node->GetFlag());
    if (node->GetAttributeCount() > 0) {
        text += "(";
        for (int i = 0; i < node->GetAttributeCount(); ++i) {
            const CTokenAttribute* a = node->GetAttributeAt(i);
            text += (i ? " " : "") + fields(a->GetName(), a->GetValue(), a->GetType(), a->GetFlag());
        }
        text += ")";
    }
    if (node->GetChildCount() > 0) {
        text += "[";
        for (int i = 0; i < node->GetChildCount(); ++i) {
            CTokenNode* child = node->GetChildAt(i);
            text += i ? "," : "";
            text += child ? Dump(child) + (child->GetParent() == node ? "" : "^!") : "_";
        }
        text += "]";
    }
    return text;
}

}  // namespace filekit_test

#endif
