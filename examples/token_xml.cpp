// SPDX-License-Identifier: MIT
// Example: an application's tokenizer that writes a token tree as XML.
//
// CXMLTokenizer turns the writer's calls into indented XML: a node becomes an
// element of its name, its attributes XML attributes, its value the
// element's text, and its children nested elements, one tab deeper per
// level. Names are written as they are, so the tree must use valid XML
// names; values are escaped. The program builds a small catalogue, saves it
// through the tokenizer and shows the file.
#include <filekit/TokenWriter.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

// What was written; reaches every operation through the writer's context.
struct XMLWriteCount {
    int elements = 0;
    int attributes = 0;
};

class CXMLTokenizer : public CTokenizer {
public:
    CXMLTokenizer() : CTokenizer('\t') {}

    int BeginDocument(std::ostream& out, void*&) override
    {
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        return Result(out);
    }
    int BeginNode(CTokenNode* node, std::ostream& out, void*& context) override
    {
        out << Indent() << '<' << node->GetName();
        if (context) ++static_cast<XMLWriteCount*>(context)->elements;
        return Result(out);
    }
    int BeginAttributes(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int WriteAttribute(CTokenNode*, CTokenAttribute* attribute, std::ostream& out, void*& context) override
    {
        out << ' ' << attribute->GetName() << "=\"" << Escaped(attribute->GetValue()) << '"';
        if (context) ++static_cast<XMLWriteCount*>(context)->attributes;
        return Result(out);
    }
    int EndAttributes(CTokenNode* node, std::ostream& out, void*&) override
    {
        if (IsEmptyElement(node))
            out << "/>\n";
        else
            out << '>' << Escaped(node->GetValue());
        return Result(out);
    }
    int BeginChildren(CTokenNode*, std::ostream& out, void*&) override
    {
        out << '\n';
        return Result(out);
    }
    int EndChildren(CTokenNode*, std::ostream& out, void*&) override
    {
        out << Indent();
        return Result(out);
    }
    int EndNode(CTokenNode* node, std::ostream& out, void*&) override
    {
        if (!IsEmptyElement(node)) out << "</" << node->GetName() << ">\n";
        return Result(out);
    }
    int EndDocument(std::ostream& out, void*&) override { return Result(out); }

private:
    static bool IsEmptyElement(CTokenNode* node) { return node->GetValue().IsEmpty() && node->GetChildCount() == 0; }

    // A failed write stops the writer, which otherwise would not notice it.
    static int Result(const std::ostream& out) { return out ? 0 : -1; }

    // The top elements sit at depth 1 and start at the left margin.
    const char* Indent()
    {
        const char* depth = GetDepthString();
        return *depth ? depth + 1 : depth;
    }

    static std::string Escaped(const CString& text)
    {
        std::string escaped;
        for (const char* p = text; *p; ++p) {
            switch (*p) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += *p; break;
            }
        }
        return escaped;
    }
};

// A catalogue of three books under the writer's document.
void BuildCatalog(CTokenNode* document)
{
    struct Book {
        const char* id;
        const char* title;
        const char* author;
        const char* year;
    };
    const Book books[] = {
        {"b1", "Pride & Prejudice", "Jane Austen", "1813"},
        {"b2", "The Time Machine", "H. G. Wells", "1895"},
        {"b3", "Notes on <angle> brackets", "", ""},
    };
    CTokenNode* catalog = document->AddChild("catalog", "", 0, 0);
    catalog->AddAttribute("owner", "Town \"Central\" library", 0, 0);
    for (const Book& book : books) {
        CTokenNode* node = catalog->AddChild("book", "", 0, 0);
        node->AddAttribute("id", book.id, 0, 0);
        if (*book.year) node->AddAttribute("year", book.year, 0, 0);
        node->AddChild("title", book.title, 0, 0);
        node->AddChild(*book.author ? "author" : "anonymous", book.author, 0, 0);
    }
}

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "catalog.xml").string();

    CTokenWriter writer;
    BuildCatalog(writer.GetDocument());
    CXMLTokenizer tokenizer;
    XMLWriteCount count;
    if (!writer.Open(path.c_str(), &tokenizer, &count) || !writer.Save()) {
        std::printf("cannot write %s\n", path.c_str());
        return 1;
    }
    writer.Close();

    std::printf("wrote %s: %d elements, %d attributes\n\n", path.c_str(), count.elements, count.attributes);
    std::ifstream in(path);
    std::cout << in.rdbuf();
    return 0;
}
