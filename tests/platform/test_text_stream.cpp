// Text-mode streams: CR LF read as LF before the text is cut into pieces,
// LF stored as the platform's line end.
#include "platform/TextStream.h"
#include "support/Script.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <cerrno>
#endif

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace filekit_test;

constexpr int kPieceBuffer = 1000;  // the INI reader's line buffer

std::vector<std::string> ReadPieces(const std::string& path, int size = kPieceBuffer)
{
    filekit::TextReader reader;
    std::vector<std::string> pieces;
    if (!reader.Open(path.c_str())) return {"<cannot open>"};
    std::vector<char> buffer(static_cast<size_t>(size));
    for (int n; (n = reader.ReadPiece(buffer.data(), size)) >= 0;) {
        EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
        pieces.emplace_back(buffer.data(), static_cast<size_t>(n));
    }
    return pieces;
}

// What fgets on a Windows text stream gives: the text ends at the first
// Ctrl-Z, CR LF is folded, then pieces of at most size - 1 bytes, each
// ending after a line feed.
std::vector<std::string> ExpectedPieces(std::string text, int size = kPieceBuffer)
{
    text.resize(std::min(text.find('\x1a'), text.size()));
    std::string folded;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) folded += text[i];
    text = folded;
    std::vector<std::string> pieces;
    const size_t capacity = static_cast<size_t>(size) - 1;
    size_t begin = 0;
    while (begin < text.size()) {
        const size_t lf = text.find('\n', begin);
        size_t length = (lf == std::string::npos ? text.size() : lf + 1) - begin;
        if (length > capacity) length = capacity;
        pieces.push_back(text.substr(begin, length));
        begin += length;
    }
    return pieces;
}

TEST(TextReader, PiecesTable)
{
    for (const ScriptLine& line : ReadScript("textstream", "pieces.txt")) {
        std::string text;
        for (const std::string& word : Words(line.text)) {
            const size_t star = word.rfind('*');
            for (int i = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1)); i > 0; --i)
                text += Unescape(word.substr(0, star));
        }
        TempDir dir;
        WriteBytes(dir.Path("t"), text);
        EXPECT_EQ(ReadPieces(dir.Path("t")), ExpectedPieces(text)) << line.where;
    }
    // Lines of varied length so that CR LF pairs straddle every buffer edge.
    std::string lf, crlf;
    for (int i = 0; lf.size() < 3 * filekit::kTextStreamBufferBytes; ++i) {
        const std::string line(static_cast<size_t>(i % 1500), static_cast<char>('a' + i % 26));
        lf += line + "\n";
        crlf += line + "\r\n";
    }
    TempDir dir;
    WriteBytes(dir.Path("lf"), lf);
    WriteBytes(dir.Path("crlf"), crlf);
    const auto lfPieces = ReadPieces(dir.Path("lf"));
    EXPECT_EQ(lfPieces, ExpectedPieces(lf));
    EXPECT_EQ(ReadPieces(dir.Path("crlf")), lfPieces);
}

TEST(TextReader, SmallBuffersAndRefusals)
{
    TempDir dir;
    WriteBytes(dir.Path("t"), "abc\r\nde\n");
    EXPECT_EQ(ReadPieces(dir.Path("t"), 2), ExpectedPieces("abc\r\nde\n", 2));
    EXPECT_EQ(ReadPieces(dir.Path("t"), 3), ExpectedPieces("abc\r\nde\n", 3));

    filekit::TextReader reader;
    char buffer[4];
    EXPECT_EQ(reader.ReadPiece(buffer, 4), -1);  // not open
    EXPECT_FALSE(reader.Open(dir.Path("missing").c_str()) || reader.Open(dir.Root().c_str()));  // a directory
    ASSERT_TRUE(reader.Open(dir.Path("t").c_str()));
    EXPECT_EQ(reader.ReadPiece(buffer, 1), -1);
#ifndef _WIN32  // a read error is provoked through the emulation's table of POSIX calls
    filekit::g_sys.read = [](int, void*, size_t) -> ssize_t {
        errno = EIO;
        return -1;
    };
    EXPECT_EQ(reader.ReadPiece(buffer, 4), -1);
    filekit::g_sys = filekit::RealSysCalls();
#endif
}

TEST(TextWriter, WritesBytesAsGivenAndReportsFailures)
{
    TempDir dir;
    const std::string path = dir.Path("w");
    WriteBytes(path, "old content that is longer");
    filekit::TextWriter writer;
    ASSERT_TRUE(writer.Open(path.c_str()));
    writer.Write("[S]\n");
    writer.Write("k=v\n");
    const std::string big(3 * filekit::kTextStreamBufferBytes / 2, 'b');
    writer.Write(big.data(), big.size());
    writer.Write("\n");
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadBytes(path), StoredText("[S]\nk=v\n" + big + "\n"));

    EXPECT_FALSE(writer.Open(dir.Path("no/such/folder/w").c_str()));
    EXPECT_FALSE(writer.Open(dir.Root().c_str()));

#ifndef _WIN32  // a device that is always full exists only there
    ASSERT_TRUE(writer.Open("/dev/full"));
    writer.Write("anything\n");
    EXPECT_FALSE(writer.Close());
#endif
}

}  // namespace
