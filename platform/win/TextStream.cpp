// SPDX-License-Identifier: MIT
// The text-mode reader over the C run-time's "rt" stream, which folds CR LF
// into LF. The writer is platform/TextWriter.cpp, alike everywhere.
//
// A text stream hides the byte order mark's place and the CR of each line
// end, so the file's start is first read in binary mode, up to its first line
// feed, and then the same stream is set back to its start in text mode.
#include "platform/TextStream.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>

namespace filekit {

namespace {

// fgets gives no length, and the text may hold zero bytes. The buffer is
// filled with a non-zero byte first, so the last zero in it afterwards is
// the terminator that fgets stored.
constexpr char kFillByte = '\n';

// Opens path in the given mode with a buffer of our size; null when it
// cannot be opened.
std::FILE* OpenStream(const char* path, const char* mode)
{
    std::FILE* file = std::fopen(path, mode);
    if (file) std::setvbuf(file, nullptr, _IOFBF, kTextStreamBufferBytes);
    return file;
}

}  // namespace

TextReader::~TextReader() { Close(); }

bool TextReader::Open(const char* path)
{
    Close();
    m_file = OpenStream(path, "rb");
    if (!m_file) return false;
    ScanStart();
    if (Rewind()) return true;
    Close();
    return false;
}

// Reads, in binary mode, whether the file starts with a byte order mark and
// how its first line ends.
void TextReader::ScanStart()
{
    char start[kByteOrderMarkBytes];
    const size_t got = std::fread(start, 1, sizeof start, m_file);
    m_byteOrderMark = got == sizeof start && std::memcmp(start, kByteOrderMark, sizeof start) == 0;
    m_firstLineEnd = LineEnd::Platform;
    int previous = got > 0 ? static_cast<unsigned char>(start[got - 1]) : EOF;
    for (size_t i = 0; i < got; ++i)
        if (start[i] == '\n') {
            m_firstLineEnd = i > 0 && start[i - 1] == '\r' ? LineEnd::CrLf : LineEnd::Lf;
            return;
        }
    for (int c; (c = std::fgetc(m_file)) != EOF; previous = c)
        if (c == '\n') {
            m_firstLineEnd = previous == '\r' ? LineEnd::CrLf : LineEnd::Lf;
            return;
        }
}

bool TextReader::Rewind()
{
    if (!m_file || std::fseek(m_file, 0, SEEK_SET) != 0 || _setmode(_fileno(m_file), _O_TEXT) == -1) return false;
    std::clearerr(m_file);
    char skipped[kByteOrderMarkBytes];
    return !m_byteOrderMark || std::fread(skipped, 1, sizeof skipped, m_file) == sizeof skipped;
}

bool TextReader::Failed() const { return m_file && std::ferror(m_file) != 0; }

void TextReader::Close()
{
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

int TextReader::ReadPiece(char* buffer, int size)
{
    if (!m_file || size < 2) return -1;
    std::memset(buffer, kFillByte, static_cast<size_t>(size));
    if (!std::fgets(buffer, size, m_file)) return -1;
    int end = size - 1;
    while (buffer[end] != '\0') --end;
    return end;
}

char* TextReader::NextPiece(size_t max, size_t* length, size_t* textLength)
{
    if (max == 0 || max >= kTextStreamBufferBytes) return nullptr;
    if (!m_piece) m_piece.reset(new char[kTextStreamBufferBytes]);
    const int stored = ReadPiece(m_piece.get(), static_cast<int>(max) + 1);
    if (stored < 0) return nullptr;
    *length = static_cast<size_t>(stored);
    *textLength = strnlen(m_piece.get(), *length);
    return m_piece.get();
}

}  // namespace filekit
