// SPDX-License-Identifier: MIT
// Expansion of the general entities of a document's internal DTD subset:
// the declarations are read from the DOCTYPE, then the text after it is
// copied with each reference replaced by its replacement text, itself
// expanded the same way. Every expansion is charged against one budget, so
// a document that would grow without bound ("billion laughs") or loop
// fails after a bounded amount of work and memory.
#include "xml/xmlsdk/Entities.h"

#include <filekit/XMLSDK.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace filekit::xml {

namespace {

struct Entity {
    std::string text;  // replacement text, character references already replaced
    bool external = false;  // declared with SYSTEM or PUBLIC: never read
    bool active = false;  // being expanded: a reference now is a loop
};

using Entities = std::unordered_map<std::string, Entity>;

bool IsSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

bool IsNameChar(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || c >= 0x80;
}

bool IsPredefined(std::string_view name)
{
    return name == "lt" || name == "gt" || name == "amp" || name == "quot" || name == "apos";
}

// A cursor over the DOCTYPE: the pieces of a declaration, skipped or read.
class Cursor {
public:
    Cursor(std::string_view text, size_t at) : m_text(text), m_at(at) {}

    size_t At() const { return m_at; }
    bool AtEnd() const { return m_at >= m_text.size(); }
    bool StartsWith(std::string_view prefix) const { return m_text.compare(m_at, prefix.size(), prefix) == 0; }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_at]; }
    void Advance(size_t count) { m_at = (std::min)(m_at + count, m_text.size()); }
    void SkipSpace()
    {
        while (!AtEnd() && IsSpace(m_text[m_at])) ++m_at;
    }
    // Moves to the next of the characters in set (to the end when none
    // follows) and gives the text passed over.
    std::string_view SkipUntilAny(const char* set)
    {
        const size_t start = m_at;
        m_at = (std::min)(m_text.find_first_of(set, m_at), m_text.size());
        return m_text.substr(start, m_at - start);
    }
    // Moves past the next end (to the end of the text when there is none,
    // which gives false).
    bool SkipPast(std::string_view end)
    {
        const size_t found = m_text.find(end, m_at);
        m_at = found == std::string_view::npos ? m_text.size() : found + end.size();
        return found != std::string_view::npos;
    }
    std::string_view Name()
    {
        const size_t start = m_at;
        while (!AtEnd() && IsNameChar(m_text[m_at])) ++m_at;
        return m_text.substr(start, m_at - start);
    }
    // A quoted literal without its quotes; false when none starts here.
    bool Literal(std::string_view& literal)
    {
        const char quote = Peek();
        if (quote != '"' && quote != '\'') return false;
        const size_t end = m_text.find(quote, m_at + 1);
        if (end == std::string_view::npos) return false;
        literal = m_text.substr(m_at + 1, end - m_at - 1);
        m_at = end + 1;
        return true;
    }
    // Moves past the '>' that closes the declaration, skipping literals.
    void SkipDeclaration()
    {
        std::string_view literal;
        while (!AtEnd() && Peek() != '>')
            if (!Literal(literal)) Advance(1);
        Advance(1);
    }

private:
    std::string_view m_text;
    size_t m_at;
};

// The replacement text of an entity value literal: character references
// replaced by their characters, everything else kept for later expansion.
std::string ReplacementText(std::string_view literal)
{
    std::string text;
    for (size_t i = 0; i < literal.size(); ++i) {
        const size_t end = literal.find(';', i);
        if (literal.compare(i, 2, "&#") == 0 && end != std::string_view::npos) {
            const bool hex = i + 2 < end && literal[i + 2] == 'x';
            const std::string digits(literal.substr(i + (hex ? 3 : 2), end - i - (hex ? 3 : 2)));
            char* stop = nullptr;
            const unsigned long ch = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (!digits.empty() && *stop == '\0' && ch <= 0x10FFFF) {
                AppendUTF8(text, static_cast<std::uint32_t>(ch));
                i = end;
                continue;
            }
        }
        text += literal[i];
    }
    return text;
}

// Reads <!ENTITY name ...> at the cursor (past "<!ENTITY") into entities;
// the first declaration of a name binds. Parameter entities are skipped.
void ReadEntity(Cursor& cursor, Entities& entities)
{
    cursor.SkipSpace();
    if (cursor.Peek() == '%') {
        cursor.SkipDeclaration();
        return;
    }
    const std::string name(cursor.Name());
    cursor.SkipSpace();
    Entity entity;
    std::string_view literal;
    if (cursor.Literal(literal))
        entity.text = ReplacementText(literal);
    else
        entity.external = true;
    cursor.SkipDeclaration();
    if (!name.empty()) entities.emplace(name, std::move(entity));
}

// Finds the DOCTYPE in the prolog of source, reads its entity declarations
// and gives the offset just past it; 0 when the prolog has no DOCTYPE.
size_t ReadDoctype(std::string_view source, Entities& entities)
{
    Cursor cursor(source, 0);
    for (;;) {
        cursor.SkipSpace();
        if (cursor.StartsWith("<?"))
            cursor.SkipPast("?>");
        else if (cursor.StartsWith("<!--"))
            cursor.SkipPast("-->");
        else if (cursor.StartsWith("<!DOCTYPE"))
            break;
        else
            return 0;
    }
    cursor.Advance(9);
    std::string_view literal;
    while (!cursor.AtEnd() && cursor.Peek() != '[' && cursor.Peek() != '>')
        if (!cursor.Literal(literal)) cursor.Advance(1);
    if (cursor.Peek() == '[') {
        cursor.Advance(1);
        while (!cursor.AtEnd() && cursor.Peek() != ']') {
            if (cursor.StartsWith("<!--")) {
                cursor.SkipPast("-->");
            } else if (cursor.StartsWith("<?")) {
                cursor.SkipPast("?>");
            } else if (cursor.StartsWith("<!ENTITY")) {
                cursor.Advance(8);
                ReadEntity(cursor, entities);
            } else if (cursor.StartsWith("<!")) {
                cursor.SkipDeclaration();
            } else {
                cursor.Advance(1);
            }
        }
    }
    cursor.SkipPast(">");
    return cursor.At();
}

// Copies text to out with the references in it expanded, as element
// content (markup kept) or as an attribute value (markup and quotes
// escaped, since the result goes between the value's quotes).
class Expander {
public:
    Expander(Entities& entities, std::string& out) : m_entities(entities), m_out(out) {}

    // An entity's replacement text (depth above 0) must hold whole markup:
    // every tag, comment, CDATA section and instruction ends in it, and so
    // does every element it starts. Markup cut by the entity's end would be
    // finished by the text around the reference, which XML forbids.
    bool Content(std::string_view text, unsigned depth)
    {
        Cursor cursor(text, 0);
        int open = 0;  // elements started in this text and not ended in it
        while (!cursor.AtEnd()) {
            const size_t start = cursor.At();
            bool whole = true;
            if (cursor.StartsWith("<!--")) {
                whole = cursor.SkipPast("-->");
            } else if (cursor.StartsWith("<![CDATA[")) {
                whole = cursor.SkipPast("]]>");
            } else if (cursor.StartsWith("<?")) {
                whole = cursor.SkipPast("?>");
            } else if (cursor.Peek() == '<') {
                const bool endTag = cursor.StartsWith("</");
                if (!Tag(cursor, depth)) return false;
                const bool empty = m_out.size() >= 2 && m_out.compare(m_out.size() - 2, 2, "/>") == 0;
                open += endTag ? -1 : empty ? 0 : 1;
                if (depth > 0 && open < 0) return false;
                continue;
            } else if (cursor.Peek() == '&') {
                if (!Reference(cursor, false, depth)) return false;
                continue;
            } else {
                cursor.SkipUntilAny("<&");
            }
            if (depth > 0 && !whole) return false;
            m_out.append(text.substr(start, cursor.At() - start));
        }
        return depth == 0 || open == 0;
    }

    bool Attribute(std::string_view text, unsigned depth)
    {
        Cursor cursor(text, 0);
        while (!cursor.AtEnd()) {
            m_out.append(cursor.SkipUntilAny("&<\"'"));
            switch (cursor.Peek()) {
            case '&':
                if (!Reference(cursor, true, depth)) return false;
                continue;
            case '<': m_out += "&lt;"; break;
            case '"': m_out += "&quot;"; break;
            case '\'': m_out += "&apos;"; break;
            default: continue;  // the end of the text
            }
            cursor.Advance(1);
        }
        return true;
    }

private:
    // A start or end tag: copied, with its attribute values expanded. A
    // tag that an entity's text ends inside fails.
    bool Tag(Cursor& cursor, unsigned depth)
    {
        std::string_view value;
        while (!cursor.AtEnd() && cursor.Peek() != '>') {
            const char quote = cursor.Peek();
            if (cursor.Literal(value)) {
                m_out += quote;
                if (!Attribute(value, depth)) return false;
                m_out += quote;
            } else {
                m_out += quote;
                cursor.Advance(1);
            }
        }
        if (cursor.AtEnd()) return depth == 0;
        m_out += '>';
        cursor.Advance(1);
        return true;
    }

    // A reference at the cursor: an internal entity's text expanded in its
    // place, anything else copied for the parser.
    bool Reference(Cursor& cursor, bool inAttribute, unsigned depth)
    {
        cursor.Advance(1);
        const std::string name(cursor.Name());
        const auto found = m_entities.find(name);
        if (cursor.Peek() != ';' || IsPredefined(name) || found == m_entities.end()) {
            m_out.append(1, '&').append(name);
            return true;
        }
        cursor.Advance(1);
        Entity& entity = found->second;
        m_spent += entity.text.size() + 1;
        if (entity.external || entity.active || depth >= XMLSDK::CXMLParser::kMaxEntityNesting ||
            m_spent > XMLSDK::CXMLParser::kMaxEntityExpansion)
            return false;
        entity.active = true;
        const bool expanded = inAttribute ? Attribute(entity.text, depth + 1) : Content(entity.text, depth + 1);
        entity.active = false;
        return expanded;
    }

    Entities& m_entities;
    std::string& m_out;
    size_t m_spent = 0;  // bytes of replacement text expanded so far
};

}  // namespace

void AppendUTF8(std::string& out, std::uint32_t ch)
{
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

bool DeclaresEntities(std::string_view doctype) { return doctype.find("<!ENTITY") != std::string_view::npos; }

bool ExpandEntities(std::string& source)
{
    Entities entities;
    const size_t body = ReadDoctype(source, entities);
    if (entities.empty()) return true;
    std::string expanded(source, 0, body);
    Expander expander(entities, expanded);
    if (!expander.Content(std::string_view(source).substr(body), 0)) return false;
    source.swap(expanded);
    return true;
}

}  // namespace filekit::xml
