// SPDX-License-Identifier: MIT
// Fuzz target: CTextFile::ParseValues with every separator byte. The values
// are compared whole with a plain left-to-right reading of the rules, the
// values already in the array must stay, and the returned pointer must be
// the text's own terminating zero.
#include <filekit/TextFile.h>

#include "FuzzSupport.h"

#include <cstring>
#include <string>
#include <vector>

using filekit_fuzz::Bytes;
using filekit_fuzz::Input;

namespace {

bool IsBlank(char c) { return c >= '\x01' && c <= '\x20'; }

// The values of line: blanks before a value skipped; a value opened by '"'
// or '[' runs to its closing '"' or ']' and the rest up to the separator is
// dropped; other values run to the separator; nothing after a last separator.
std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> values;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) break;
        const bool enclosed = line[i] == '"' || line[i] == '[';
        const char stop = !enclosed ? separator : line[i++] == '"' ? '"' : ']';
        const size_t end = (std::min)(line.find(stop, i), line.size());
        values.push_back(line.substr(i, end - i));
        i = !enclosed ? end : (std::min)(line.find(separator, end + 1), line.size());
        if (i < line.size()) ++i;
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const char separator = static_cast<char>(input.Byte());
    const CString text = filekit_fuzz::ToCString(input.Rest());

    CStringArray values;
    values.Add("kept");
    char* const end = CTextFile::ParseValues(text, values, separator);

    if (text.IsEmpty()) {
        FUZZ_CHECK(end == nullptr);
        FUZZ_CHECK(values.GetSize() == 1);
        return 0;
    }
    FUZZ_CHECK(end == static_cast<const char*>(text) + std::strlen(static_cast<const char*>(text)));
    const std::vector<std::string> expected = Split(static_cast<const char*>(text), separator);
    FUZZ_CHECK(static_cast<size_t>(values.GetSize()) == expected.size() + 1);
    FUZZ_CHECK(values[0] == "kept");
    for (size_t i = 0; i < expected.size(); ++i) FUZZ_CHECK(Bytes(values[static_cast<int>(i) + 1]) == expected[i]);
    return 0;
}
