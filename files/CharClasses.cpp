// SPDX-License-Identifier: MIT
// CTextFile's character classifiers and the value-list splitter built on
// them; kept together so the splitter's blank test is inlined.
#include <filekit/TextFile.h>

#include "platform/MbString.h"

#include <climits>
#include <cstddef>

namespace {

constexpr char kQuote = '"';
constexpr char kOpenBracket = '[';
constexpr char kCloseBracket = ']';

// The byte as the runtime's multibyte tests take it: widened with its sign.
unsigned int SignWidened(char c) { return static_cast<unsigned int>(static_cast<int>(c)); }

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

// The closing delimiter that c opens a value with, or 0 when it opens none.
char ClosingDelimiter(char c)
{
    if (c == kQuote) return kQuote;
    if (c == kOpenBracket) return kCloseBracket;
    return '\0';
}

// The first of stop or the terminating zero at or after p.
const char* Find(const char* p, char stop)
{
    while (*p != '\0' && *p != stop) ++p;
    return p;
}

}  // namespace

bool CTextFile::chartype_symbol(char c)
{
    return filekit::_ismbcalnum(SignWidened(c)) || c == '_' || c == ':' || c == '-' || c == '.';
}

bool CTextFile::chartype_digit(char c) { return filekit::_ismbcdigit(SignWidened(c)) != 0; }
bool CTextFile::chartype_whitespace(char c) { return c == ' '; }
bool CTextFile::chartype_space(char c) { return Byte(c) >= 0x01 && Byte(c) <= 0x20; }
bool CTextFile::chartype_spacespecial(char c) { return chartype_space(c) && c != '\r' && c != '\n'; }
bool CTextFile::chartype_enter(char c) { return c == '\r'; }
bool CTextFile::chartype_linefeed(char c) { return c == '\n'; }
bool CTextFile::chartype_dot(char c) { return c == '.'; }
bool CTextFile::chartype_leftenter(char c) { return c == '<'; }
bool CTextFile::chartype_rightleave(char c) { return c == '>'; }
bool CTextFile::chartype_close(char c) { return c == '/'; }
bool CTextFile::chartype_equals(char c) { return c == '='; }
bool CTextFile::chartype_special(char c) { return c == '!'; }
bool CTextFile::chartype_pi(char c) { return c == '?'; }
bool CTextFile::chartype_dash(char c) { return c == '-'; }
bool CTextFile::chartype_quote(char c) { return c == '"' || c == '\''; }
bool CTextFile::chartype_lbracket(char c) { return c == '['; }
bool CTextFile::chartype_rbracket(char c) { return c == ']'; }

char* CTextFile::ParseValues(const CString& text, CStringArray& values, char separator)
{
    if (text.IsEmpty()) return nullptr;
    const char* p = static_cast<const char*>(text);
    for (;;) {
        while (chartype_space(*p)) ++p;
        if (*p == '\0') break;

        const char closing = ClosingDelimiter(*p);
        if (closing != '\0') ++p;
        const char* start = p;
        p = Find(p, closing != '\0' ? closing : separator);
        const std::ptrdiff_t length = p - start;
        if (length > INT_MAX) return nullptr;  // no CString can hold the value
        values.Add(CString(start, static_cast<int>(length)));
        if (*p == '\0') break;

        // Whatever follows a closing delimiter up to the separator is dropped.
        if (closing != '\0') {
            p = Find(p + 1, separator);
            if (*p == '\0') break;
        }
        ++p;  // over the separator
        if (*p == '\0') break;
    }
    // The caller gets a position in its own string, as the interface has
    // always handed it out; it is never written through here.
    return const_cast<char*>(p);
}
