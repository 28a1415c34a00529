// SPDX-License-Identifier: MIT
// The INI line and comment routines, and CINIFile's protected members that
// expose them on zero-terminated buffers.
#include "ini/TextRoutines.h"

#include <algorithm>
#include <cstring>

namespace filekit::ini {

namespace {
constexpr char kLineFeed = '\n';
constexpr char kReturn = '\r';
constexpr char kSpace = ' ';
constexpr char kPairFirst = '\\';  // the line-break pair: backslash, 'n'
constexpr char kPairSecond = 'n';

const char* DropTrailingSpaces(const char* begin, const char* end)
{
    while (end > begin && end[-1] == kSpace) --end;
    return end;
}

// The first byte c in [from, end), or end.
char* Find(char* from, char* end, char c)
{
    auto* found = static_cast<char*>(std::memchr(from, c, static_cast<size_t>(end - from)));
    return found ? found : end;
}

const char* Find(const char* from, const char* end, char c)
{
    return Find(const_cast<char*>(from), const_cast<char*>(end), c);
}

// The first delimiter at or after p that stands outside double quotes, or
// end. Quotes come in pairs from p on; an unmatched one protects the rest.
// Each byte is searched a bounded number of times, so this stays linear.
char* NextDelimiter(char* p, char* end, char delimiter)
{
    char* found = delimiter == kQuote ? end : Find(p, end, delimiter);
    if (found == end) return end;  // quotes only matter around a delimiter
    for (;;) {
        char* const quote = Find(p, found, kQuote);
        if (quote == found) return found;
        char* const closing = Find(quote + 1, end, kQuote);
        if (closing == end) return end;
        p = closing + 1;
        if (found < p) found = Find(p, end, delimiter);
    }
}

// Fills span with the token between begin and end, spaces around it dropped.
TokenResult SetSpan(const char* begin, const char* end, char* next, TokenSpan* span)
{
    while (begin < end && *begin == kSpace) ++begin;
    span->begin = begin;
    span->end = DropTrailingSpaces(begin, end);
    span->next = next;
    return span->begin == span->end ? kTokenEmpty : kTokenFound;
}

}  // namespace

size_t TrimmedLength(const char* line, size_t length)
{
    if (length > 0 && line[length - 1] == kLineFeed) --length;
    if (length > 0 && line[length - 1] == kReturn) --length;
    return static_cast<size_t>(DropTrailingSpaces(line, line + length) - line);
}

size_t TrimTail(char* line, size_t length)
{
    length = TrimmedLength(line, length);
    line[length] = '\0';
    return length;
}

size_t BracketContents(const char* line, size_t length, char open, char close, char* contents)
{
    const char* const end = line + length;
    const char* p = line;
    while (p < end && *p == kSpace) ++p;
    if (p == end || *p != open) {  // anything else first: no name can open on this line
        contents[0] = '\0';
        return 0;
    }
    while (p < end && *p == open) ++p;
    size_t stored = 0;
    for (; p < end && *p != open; ++p) {
        if (*p == close) {
            contents[stored] = '\0';
            return stored;
        }
        if (stored < kMaxNameBytes) contents[stored++] = *p;
    }
    contents[0] = '\0';  // never closed: no header
    return 0;
}

TokenResult FindToken(char* text, size_t length, char delimiter, int number, TokenSpan* span)
{
    if (number < 1) return kTokenMissing;
    char* const end = text + length;
    char* start = text;
    for (int passed = 1;; ++passed) {
        char* const found = NextDelimiter(start, end, delimiter);
        if (found == end) return passed == number ? SetSpan(start, end, nullptr, span) : kTokenMissing;
        char* after = found + 1;
        if (delimiter == kSpace) {  // a run of spaces is one delimiter, at its last space
            while (after < end && *after == kSpace) ++after;
            if (after == end) {
                span->next = nullptr;
                return kTokenMissing;
            }
        }
        if (passed == number) return SetSpan(start, found, after, span);
        start = after;
    }
}

size_t CutToName(const TokenSpan& span)
{
    const char* end = span.begin + (std::min)(static_cast<size_t>(span.end - span.begin), kMaxNameBytes);
    return static_cast<size_t>(DropTrailingSpaces(span.begin, end) - span.begin);
}

size_t StoreComment(const char* text, size_t length, char* out)
{
    if (length == 0) {
        out[0] = '\0';
        return 0;
    }
    // The first character is kept as it is. After it, the text is copied in
    // runs between the characters that take a pair: each line feed becomes
    // one, each ';' gets one in front.
    const char* const end = text + length;
    const char* p = text + 1;
    const char* semicolon = Find(p, end, kCommentStart);
    const char* lineFeed = Find(p, end, kLineFeed);
    out[0] = text[0];
    size_t n = 1;
    for (;;) {
        const char* const special = (std::min)(semicolon, lineFeed);
        const size_t run = (std::min)(static_cast<size_t>(special - p), kMaxCommentBytes - n);
        std::memcpy(out + n, p, run);
        n += run;
        if (p + run != special || special == end) break;  // cut inside the run, or done
        const size_t need = special == lineFeed ? 2 : 3;
        if (n + need > kMaxCommentBytes) break;
        out[n++] = kPairFirst;
        out[n++] = kPairSecond;
        p = special + 1;
        if (special == lineFeed) {
            lineFeed = Find(p, end, kLineFeed);
        } else {
            out[n++] = kCommentStart;
            semicolon = Find(p, end, kCommentStart);
        }
    }
    out[n] = '\0';
    return n;
}

bool RestoreLineBreaks(char* text, size_t length)
{
    bool turned = false;
    for (size_t i = 1; i + 1 < length; ++i) {
        if (text[i] == kPairFirst && text[i + 1] == kPairSecond) {
            text[i] = kSpace;
            text[++i] = kLineFeed;
            turned = true;
        }
    }
    return turned;
}

void CommentGatherer::Append(const char* text, size_t length)
{
    const size_t take = (std::min)(length, kMaxCommentBytes - m_length);
    std::memcpy(m_text + m_length, text, take);
    m_length += take;
}

CString CommentGatherer::Stored() const
{
    char stored[kMaxCommentBytes + 1];
    return CString(stored, static_cast<int>(StoreComment(m_text, m_length, stored)));
}

}  // namespace filekit::ini

using namespace filekit::ini;

void CINIFile::DeleteTail(char* line) { TrimTail(line, std::strlen(line)); }

void CINIFile::BracketsContents(char* line, char* contents, char* brackets)
{
    if (brackets)
        BracketContents(line, std::strlen(line), brackets[0], brackets[1], contents);
    else
        contents[0] = '\0';
}

int CINIFile::GetToken(char* text, char* token, CINIFilePointer* pointer, char* delimiters, int number)
{
    CINIFilePointer unused{nullptr};
    if (!pointer) pointer = &unused;
    if (!text) {
        pointer->m_pszNext = nullptr;
        return kTokenMissing;
    }
    TokenSpan span;
    span.next = pointer->m_pszNext;  // stays when the search leaves it alone
    const TokenResult result = FindToken(text, std::strlen(text), delimiters ? delimiters[0] : '\0', number, &span);
    pointer->m_pszNext = span.next;
    if (result != kTokenMissing) {
        const size_t length = CutToName(span);
        std::memcpy(token, span.begin, length);
        token[length] = '\0';
    }
    return result;
}

char* CINIFile::ReplaceFrom0xD_0xA(char* text)
{
    StoreComment(text, strnlen(text, kMaxCommentBytes), m_szStoredComment);
    return m_szStoredComment;
}

void CINIFile::ReplaceTo0xD_0xA(char* text) { RestoreLineBreaks(text, std::strlen(text)); }
