// Text-mode streams over the C run-time's "rt" and "wt" streams, which fold
// CR LF into LF on reading and store LF as CR LF on writing.
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

TextWriter::~TextWriter() { Close(); }

bool TextWriter::Open(const char* path)
{
    Close();
    m_file = OpenTextStream(path, "wt");
    if (!m_file) return false;
    m_failed = false;
    return true;
}

void TextWriter::Write(const char* text) { Write(text, std::strlen(text)); }

void TextWriter::Write(const char* data, size_t length)
{
    if (m_file && std::fwrite(data, 1, length, m_file) != length) m_failed = true;
}

bool TextWriter::Close()
{
    if (!m_file) return !m_failed;
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return !m_failed;
}

}  // namespace filekit
