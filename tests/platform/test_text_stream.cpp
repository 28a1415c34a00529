// SPDX-License-Identifier: MIT
// Text-mode streams: CR LF read as LF before the text is cut into pieces,
// checked against a model. And the Win32 file functions and the text
// streams, driven by the call scripts in tests/data/win32: one interpreter
// runs every script against the POSIX emulation here and, in the Windows
// build, against the system's own functions, so a line that fails on one
// side only is a difference between the emulation and Win32.
#include "platform/TextStream.h"
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace filekit_test;

// The pieces a TextReader gives; a piece without its terminating zero
// carries one byte more, so that it differs.
std::vector<std::string> ReadPieces(const std::string& path, int size)
{
    filekit::TextReader reader;
    if (!reader.Open(path.c_str())) return {"<cannot open>"};
    std::vector<std::string> pieces;
    std::vector<char> buffer(static_cast<size_t>(size));
    for (int n; (n = reader.ReadPiece(buffer.data(), size)) >= 0;)
        pieces.emplace_back(buffer.data(), static_cast<size_t>(n) + (buffer[static_cast<size_t>(n)] != '\0'));
    return pieces;
}

// What fgets on a Windows text stream gives: the text ends at the first
// Ctrl-Z, CR LF is folded, then pieces of at most size - 1 bytes, each
// ending after a line feed.
std::vector<std::string> ExpectedPieces(std::string text, int size)
{
    text.resize((std::min)(text.find('\x1a'), text.size()));
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
    std::vector<std::string> pieces;
    for (size_t begin = 0, length; begin < text.size(); begin += length) {
        length =
            (std::min)((std::min)(text.find('\n', begin), text.size() - 1) + 1 - begin, static_cast<size_t>(size) - 1);
        pieces.push_back(text.substr(begin, length));
    }
    return pieces;
}

TEST(TextReader, PiecesTable)
{
    TempDir dir;
    for (const ScriptLine& line : ReadScript("textstream", "pieces.txt")) {
        const std::vector<std::string> w = Words(line.text);  // [buffer=N] text
        const int size = w.size() > 1 ? std::stoi(w[0].substr(7)) : 1000;  // 1000: the INI reader's line buffer
        const std::string text = Unescape(w.back());
        WriteBytes(dir.Path("t"), text);
        EXPECT_EQ(ReadPieces(dir.Path("t"), size), ExpectedPieces(text, size)) << line.where;
    }
}

class Win32Script : public ::testing::TestWithParam<std::string> {};

TEST_P(Win32Script, Runs)
{
    Interpreter interpreter;
    RunScript(interpreter, "win32", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scripts, Win32Script, ::testing::ValuesIn(DataFiles("win32")), CaseName);

}  // namespace
