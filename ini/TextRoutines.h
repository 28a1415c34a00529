// SPDX-License-Identifier: MIT
// The line and comment routines of the INI format, internal.
//
// The reader, the writer and CINIFile's protected text members all use
// these, so each rule of the format lives in one place. They work on byte
// buffers of known length and never write past the limits of CINIFile.
#ifndef FILEKIT_INI_TEXTROUTINES_H
#define FILEKIT_INI_TEXTROUTINES_H

#include <filekit/INIFile.h>

#include <cstddef>

namespace filekit::ini {

// Longest contents of the buffers, without the terminating zero.
constexpr size_t kMaxLineBytes = CINIFile::kLineBufferBytes - 1;
constexpr size_t kMaxNameBytes = CINIFile::kNameBufferBytes - 1;
constexpr size_t kMaxCommentBytes = CINIFile::kCommentBufferBytes - 1;
constexpr size_t kMaxWrittenCommentBytes = CINIFile::kWriterCommentBufferBytes - 1;

// The characters of the format.
constexpr char kCommentStart = ';';
constexpr char kHeaderOpen = '[';
constexpr char kHeaderClose = ']';
constexpr char kKeyDelimiter = '=';
constexpr char kValueDelimiter = '\xFE';
constexpr char kQuote = '"';

// The length of the length bytes at line without one trailing LF, then one
// trailing CR, then every trailing space.
size_t TrimmedLength(const char* line, size_t length);

// Trims the length bytes at line as TrimmedLength does, writes the new
// terminating zero and returns the new length.
size_t TrimTail(char* line, size_t length);

// Copies the bracket contents of the length bytes at line into contents
// (room for kMaxNameBytes + 1 bytes, cut to kMaxNameBytes) and returns
// their length; 0 when the line is no header.
size_t BracketContents(const char* line, size_t length, char open, char close, char* contents);

// Token search results, as GetToken returns them.
enum TokenResult { kTokenFound = 0, kTokenEmpty = 1, kTokenMissing = 2 };

// Where a token stands in its text, spaces around it excluded, and where
// the text after its delimiter begins (null: the token ran to the end).
struct TokenSpan {
    const char* begin = nullptr;
    const char* end = nullptr;
    char* next = nullptr;
};

// Finds token number (from 1) of the length bytes at text (no zero byte
// inside), delimited by delimiter outside double quotes.
// On kTokenMissing only span->next may change: it becomes null when the
// text ends in a delimiting space.
TokenResult FindToken(char* text, size_t length, char delimiter, int number, TokenSpan* span);

// The length of the token at span once cut to kMaxNameBytes and freed of
// the trailing spaces that the cut may leave.
size_t CutToName(const TokenSpan& span);

// Writes the stored form of the gathered comment (length bytes at text) to
// out (room for kMaxCommentBytes + 1), zero-terminated, and returns its
// length. The result is cut at kMaxCommentBytes, never inside a line-break
// pair.
size_t StoreComment(const char* text, size_t length, char* out);

// Turns each line-break pair after the first character of the length bytes
// at text into a space and a line feed; true when any pair was turned.
bool RestoreLineBreaks(char* text, size_t length);

// Collects the comment lines above a header or key, up to kMaxCommentBytes;
// what does not fit is dropped.
class CommentGatherer {
public:
    void Append(const char* text, size_t length);
    void Clear() { m_length = 0; }
    bool IsEmpty() const { return m_length == 0; }
    // The gathered text in stored form.
    CString Stored() const;

private:
    char m_text[kMaxCommentBytes + 1];
    size_t m_length = 0;
};

}  // namespace filekit::ini

#endif
