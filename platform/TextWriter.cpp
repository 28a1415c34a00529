// SPDX-License-Identifier: MIT
// The text-mode writer, alike on every platform: a buffer in front of a
// crash-safe file, each LF stored as the chosen line end.
#include "platform/TextStream.h"

#include <cstring>

namespace filekit {

namespace {

#ifdef _WIN32
constexpr LineEnd kPlatformLineEnd = LineEnd::CrLf;
#else
constexpr LineEnd kPlatformLineEnd = LineEnd::Lf;
#endif

}  // namespace

TextWriter::~TextWriter() { Close(); }

bool TextWriter::Open(const char* path, LineEnd lineEnd)
{
    Close();
    if (!m_file.Open(path)) return false;
    m_crLf = (lineEnd == LineEnd::Platform ? kPlatformLineEnd : lineEnd) == LineEnd::CrLf;
    if (!m_buffer) m_buffer.reset(new char[kTextStreamBufferBytes]);
    m_used = 0;
    m_failed = false;
    m_unit = 1;
    return true;
}

void TextWriter::SetCodeUnit(size_t unitBytes, bool bigEndian)
{
    m_unit = unitBytes;
    m_bigEndian = bigEndian;
}

void TextWriter::Write(const char* text) { Write(text, std::strlen(text)); }

void TextWriter::Write(const char* data, size_t length)
{
    if (!m_file.IsOpen()) return;
    if (!m_crLf) {
        Append(data, length);
    } else if (m_unit > 1) {
        WriteUnits(data, length);
    } else {
        // The runs between line feeds as they are, each LF as CR LF.
        while (length > 0) {
            const auto* lf = static_cast<const char*>(std::memchr(data, '\n', length));
            const size_t run = lf ? static_cast<size_t>(lf - data) : length;
            Append(data, run);
            if (!lf) break;
            Append("\r\n", 2);
            data += run + 1;
            length -= run + 1;
        }
    }
}

// Each unit as it is, a line feed unit after a carriage return unit. The
// caller hands over whole units.
void TextWriter::WriteUnits(const char* data, size_t length)
{
    const size_t low = m_bigEndian ? m_unit - 1 : 0;
    char cr[4] = {};
    cr[low] = '\r';
    size_t run = 0;
    for (size_t at = 0; at + m_unit <= length; at += m_unit) {
        bool lineFeed = data[at + low] == '\n';
        for (size_t i = 0; i < m_unit && lineFeed; ++i) lineFeed = i == low || data[at + i] == '\0';
        if (!lineFeed) continue;
        Append(data + run, at - run);
        Append(cr, m_unit);
        run = at;
    }
    Append(data + run, length - run);
}

void TextWriter::Append(const char* data, size_t length)
{
    if (m_used + length > kTextStreamBufferBytes) {
        Flush();
        if (length >= kTextStreamBufferBytes) {  // too big to buffer: straight through
            m_file.Write(data, length);
            return;
        }
    }
    std::memcpy(m_buffer.get() + m_used, data, length);
    m_used += length;
}

void TextWriter::Flush()
{
    m_file.Write(m_buffer.get(), m_used);
    m_used = 0;
}

bool TextWriter::Close()
{
    if (!m_file.IsOpen()) return !m_failed;
    Flush();
    m_failed = !m_file.Commit();
    return !m_failed;
}

}  // namespace filekit
