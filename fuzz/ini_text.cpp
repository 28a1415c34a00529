// SPDX-License-Identifier: MIT
// Fuzz target: the INI text routines that CINIFile keeps protected, reached
// through a derived class. Each routine gets buffers of exactly the sizes it
// documents (so a write past one is caught) and its result is compared
// whole with what the routine's rule gives for that input.
#include <filekit/INIFile.h>

#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using filekit_fuzz::Input;

namespace {

class TextRoutines : public CINIFile {
public:
    using CINIFile::BracketsContents;
    using CINIFile::DeleteTail;
    using CINIFile::GetToken;
    using CINIFile::ReplaceFrom0xD_0xA;
    using CINIFile::ReplaceTo0xD_0xA;
};

constexpr size_t kMaxName = CINIFile::kNameBufferBytes - 1;
constexpr size_t kMaxComment = CINIFile::kCommentBufferBytes - 1;
constexpr char kFill = '\x5A';  // marks bytes a routine must not write

// A heap buffer holding exactly text and its terminating zero.
std::unique_ptr<char[]> Terminated(const std::string& text)
{
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    return buffer;
}

// A name-sized output buffer, filled so that untouched bytes can be seen.
std::unique_ptr<char[]> NameBuffer()
{
    auto buffer = std::make_unique<char[]>(CINIFile::kNameBufferBytes);
    std::memset(buffer.get(), kFill, CINIFile::kNameBufferBytes);
    return buffer;
}

// The zero-terminated string in a name buffer; fails when there is none.
std::string NameIn(const char* buffer)
{
    const void* end = std::memchr(buffer, '\0', CINIFile::kNameBufferBytes);
    FUZZ_CHECK(end != nullptr);
    return std::string(buffer, static_cast<const char*>(end));
}

bool Untouched(const char* buffer)
{
    return std::all_of(buffer, buffer + CINIFile::kNameBufferBytes, [](char c) { return c == kFill; });
}

std::string WithoutSpacesAround(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A token as GetToken hands it out: cut to a name, then without the spaces
// the cut leaves at its end.
std::string AsToken(const std::string& raw)
{
    std::string token = WithoutSpacesAround(raw).substr(0, kMaxName);
    return token.substr(0, token.find_last_not_of(' ') + 1);
}

void CheckDeleteTail(TextRoutines& ini, const std::string& text)
{
    std::string expected = text.substr(0, text.find('\0'));
    if (!expected.empty() && expected.back() == '\n') expected.pop_back();
    if (!expected.empty() && expected.back() == '\r') expected.pop_back();
    expected.erase(expected.find_last_not_of(' ') + 1);

    auto line = Terminated(text);
    ini.DeleteTail(line.get());
    FUZZ_CHECK(line.get() == expected);
}

void CheckBracketsContents(TextRoutines& ini, const std::string& text, Input& input)
{
    const bool header = input.Byte() % 4 != 0;
    char brackets[2] = {static_cast<char>(input.Byte()), static_cast<char>(input.Byte())};
    const std::string line = text.substr(0, text.find('\0'));
    // A name opens after the spaces and the opening brackets that start the
    // line, and closes at the first closing bracket, unless an opening one
    // or the end of the line comes first.
    std::string expected;
    const size_t open = line.find_first_not_of(' ');
    if (header && open != std::string::npos && line[open] == brackets[0]) {
        const size_t name = line.find_first_not_of(brackets[0], open);
        const size_t stop = name == std::string::npos ? name : line.find_first_of(brackets, name, 2);
        if (stop != std::string::npos && line[stop] == brackets[1] && line[stop] != brackets[0])
            expected = line.substr(name, (std::min)(stop - name, kMaxName));
    }

    auto buffer = Terminated(text);
    auto contents = NameBuffer();
    ini.BracketsContents(buffer.get(), contents.get(), header ? brackets : nullptr);
    FUZZ_CHECK(NameIn(contents.get()) == expected);
}

// Token number of text with delimiter, found without GetToken: the text
// split at every delimiter outside double quotes (a run of spaces counting
// as one when the delimiter is a space). Only used on text without quotes.
int SplitToken(const std::string& text, char delimiter, int number, std::string* token)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != delimiter) {
            parts.back() += text[i];
        } else if (delimiter != ' ' || i + 1 >= text.size() || text[i + 1] != ' ') {
            parts.push_back(std::string());
        }
    }
    // A delimiting space run at the very end leaves neither the token
    // before it nor the empty one after it.
    if (delimiter == ' ' && !text.empty() && text.back() == ' ') parts.resize(parts.size() - 2);
    if (number < 1 || static_cast<size_t>(number) > parts.size()) return 2;
    *token = AsToken(parts[static_cast<size_t>(number) - 1]);
    return token->empty() ? 1 : 0;
}

struct TokenCall {
    int result;
    std::string token;
    char* next;
};

TokenCall CallGetToken(TextRoutines& ini, char* text, char* delimiters, int number)
{
    auto token = NameBuffer();
    CINIFile::CINIFilePointer pointer{text};  // a value the call must replace or keep
    const int result = ini.GetToken(text, token.get(), &pointer, delimiters, number);
    FUZZ_CHECK(result >= 0 && result <= 2);
    if (result == 2) {
        FUZZ_CHECK(Untouched(token.get()));
        FUZZ_CHECK(pointer.m_pszNext == text || pointer.m_pszNext == nullptr);
        return TokenCall{result, std::string(), nullptr};
    }
    const std::string found = NameIn(token.get());
    FUZZ_CHECK(found.size() <= kMaxName);
    FUZZ_CHECK((result == 1) == found.empty());
    FUZZ_CHECK(found == WithoutSpacesAround(found));
    return TokenCall{result, found, pointer.m_pszNext};
}

void CheckGetToken(TextRoutines& ini, const std::string& text, Input& input)
{
    const int form = input.Between(0, 3);  // null, empty, one or several delimiter bytes
    std::string delimiterText;
    if (form >= 2) delimiterText += static_cast<char>(input.Byte());
    if (form == 3) delimiterText += input.Text(4);
    auto delimiters = Terminated(delimiterText);
    char* const delimiterArgument = form == 0 ? nullptr : delimiters.get();
    const char delimiter = form == 0 ? '\0' : delimiters[0];
    const int last = input.Between(1, 8);

    auto buffer = Terminated(text);
    char* const begin = buffer.get();
    const std::string line(begin);
    FUZZ_CHECK(ini.GetToken(begin, NameBuffer().get(), nullptr, delimiterArgument, 1) ==
               CallGetToken(ini, begin, delimiterArgument, 1).result);
    FUZZ_CHECK(CallGetToken(ini, begin, delimiterArgument, 0).result == 2);
    FUZZ_CHECK(CallGetToken(ini, begin, delimiterArgument, -1).result == 2);

    // Token n of the text is token 1 of the text after token n - 1.
    TokenCall previous{0, std::string(), begin};
    for (int number = 1; number <= last; ++number) {
        const TokenCall call = CallGetToken(ini, begin, delimiterArgument, number);
        if (!previous.next) {
            FUZZ_CHECK(call.result == 2);
        } else {
            const TokenCall chained = CallGetToken(ini, previous.next, delimiterArgument, 1);
            FUZZ_CHECK(call.result == chained.result && call.token == chained.token);
            if (call.result != 2) FUZZ_CHECK(call.next == chained.next);
        }
        if (call.result != 2 && call.next) {
            FUZZ_CHECK(call.next > begin && call.next <= begin + line.size());
            FUZZ_CHECK(delimiter != '\0' && call.next[-1] == delimiter);
        }
        if (line.find('"') == std::string::npos && delimiter != '\0') {
            std::string expected;
            FUZZ_CHECK(call.result == SplitToken(line, delimiter, number, &expected));
            if (call.result != 2) FUZZ_CHECK(call.token == expected);
        }
        previous = call;
    }
}

// The stored form of a comment: a line-break pair before each ';' and in
// place of each line feed, both after the first byte, the whole cut before
// the first byte whose stored form does not fit.
void CheckReplaceFrom(TextRoutines& ini, const std::string& text)
{
    const std::string comment = text.substr(0, (std::min)(text.find('\0'), kMaxComment));
    std::string expected;
    for (size_t i = 0; i < comment.size(); ++i) {
        std::string stored(1, comment[i]);
        if (i > 0 && comment[i] == ';') stored = "\\n;";
        if (i > 0 && comment[i] == '\n') stored = "\\n";
        if (expected.size() + stored.size() > kMaxComment) break;
        expected += stored;
    }
    auto buffer = Terminated(text);
    FUZZ_CHECK(ini.ReplaceFrom0xD_0xA(buffer.get()) == expected);
}

void CheckReplaceTo(TextRoutines& ini, const std::string& text)
{
    std::string expected = text.substr(0, text.find('\0'));
    for (size_t i = 1; i + 1 < expected.size(); ++i) {
        if (expected.compare(i, 2, "\\n") == 0) expected.replace(i++, 2, " \n");
    }
    auto buffer = Terminated(text);
    ini.ReplaceTo0xD_0xA(buffer.get());
    FUZZ_CHECK(buffer.get() == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const int routine = input.Between(0, 4);
    const std::string text = input.LongText(size_t{4} * CINIFile::kLineBufferBytes);
    TextRoutines ini;
    switch (routine) {
    case 0: CheckDeleteTail(ini, text); break;
    case 1: CheckBracketsContents(ini, text, input); break;
    case 2: CheckGetToken(ini, text, input); break;
    case 3: CheckReplaceFrom(ini, text); break;
    default: CheckReplaceTo(ini, text); break;
    }
    return 0;
}
