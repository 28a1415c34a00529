// The text-mode reader over the C run-time's "rt" stream, which folds CR LF
// into LF. The writer is platform/TextWriter.cpp, alike everywhere.
#include "platform/TextStream.h"

#include <cstring>

namespace filekit {

namespace {

// fgets gives no length, and the text may hold zero bytes. The buffer is
// filled with a non-zero byte first, so the last zero in it afterwards is
// the terminator that fgets stored.
constexpr char kFillByte = '\n';

// Opens path in the given text mode with a buffer of our size; null when it
// cannot be opened.
std::FILE* OpenTextStream(const char* path, const char* mode)
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
    m_file = OpenTextStream(path, "rt");
    return m_file != nullptr;
}

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
