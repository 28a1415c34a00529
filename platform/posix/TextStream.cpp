// SPDX-License-Identifier: MIT
// The text-mode reader over POSIX descriptors (the writer is
// platform/TextWriter.cpp, alike everywhere).
//
// The reader hands out pieces in place from its buffer. A CR LF pair can
// only stand at the end of a piece (the LF ends it), so folding it is one
// byte written where the piece is cut; the rest of the text is never moved
// but for the unread tail of the buffer before each read.
#include "platform/TextStream.h"

#include "platform/posix/Syscalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace filekit {

namespace {

// Ctrl-Z: a text stream ends at the first one, as it does on Windows.
constexpr char kEndOfText = '\x1a';

}  // namespace

TextReader::~TextReader() { Close(); }

bool TextReader::Open(const char* path)
{
    Close();
    // Non-blocking, so that a FIFO without a writer cannot hang the open;
    // it is refused right after, as is every file that is not regular (a
    // device may never end, and the INI reader reads its file twice).
    const int fd = g_sys.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) return false;
    struct stat info;
    if (g_sys.fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        g_sys.close(fd);
        return false;
    }
    if (!m_buffer) m_buffer.reset(new char[kTextStreamBufferBytes]);
    m_fd = fd;
    m_pos = m_end = m_zero = 0;
    m_eof = m_readFailed = false;
    m_atStart = true;
    m_byteOrderMark = false;
    m_firstLineEnd = LineEnd::Platform;
    return true;
}

bool TextReader::Rewind()
{
    if (m_fd < 0 || g_sys.lseek(m_fd, 0, SEEK_SET) != 0) return false;
    m_pos = m_end = m_zero = 0;
    m_eof = m_readFailed = false;
    m_atStart = true;
    return true;
}

bool TextReader::Failed() const { return m_readFailed; }

void TextReader::Close()
{
    if (m_fd >= 0) g_sys.close(m_fd);
    m_fd = -1;
}

size_t TextReader::FirstZero(size_t from) const
{
    const char* begin = m_buffer.get();
    const auto* zero = static_cast<const char*>(std::memchr(begin + from, '\0', m_end - from));
    return zero ? static_cast<size_t>(zero - begin) : m_end;
}

// Moves the bytes not handed out yet to the front and reads after them
// until more than max bytes wait (a piece of max bytes and the byte that
// tells whether a CR LF ends it), and at the start of the file at least the
// length of a byte order mark, or the text ends: at the end of the file,
// at a read error (as for fgets) or at a Ctrl-Z (as on Windows).
void TextReader::Refill(size_t max)
{
    if (m_zero < m_pos) m_zero = FirstZero(m_pos);
    const size_t kept = m_end - m_pos;
    std::memmove(m_buffer.get(), m_buffer.get() + m_pos, kept);
    m_zero -= m_pos;
    m_pos = 0;
    m_end = kept;
    while ((m_end <= max || (m_atStart && m_end < kByteOrderMarkBytes)) && !m_eof) {
        const ssize_t got = g_sys.read(m_fd, m_buffer.get() + m_end, kTextStreamBufferBytes - m_end);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            m_readFailed = got < 0;
            m_eof = true;
            break;
        }
        const size_t searched = m_end;
        m_end += static_cast<size_t>(got);
        char* const read = m_buffer.get() + searched;
        if (const auto* stop = static_cast<const char*>(std::memchr(read, kEndOfText, static_cast<size_t>(got)))) {
            m_end = searched + static_cast<size_t>(stop - read);
            m_eof = true;
        }
        if (m_zero == searched) m_zero = FirstZero(searched);
    }
}

char* TextReader::NextPiece(size_t max, size_t* length, size_t* textLength)
{
    if (m_fd < 0 || max == 0 || max >= kTextStreamBufferBytes) return nullptr;
    if (m_end - m_pos <= max && !m_eof) Refill(max);
    if (m_atStart) {
        m_atStart = false;
        m_byteOrderMark =
            m_end >= kByteOrderMarkBytes && std::memcmp(m_buffer.get(), kByteOrderMark, kByteOrderMarkBytes) == 0;
        if (m_byteOrderMark) m_pos = kByteOrderMarkBytes;
    }
    const size_t available = m_end - m_pos;
    if (available == 0) return nullptr;
    char* piece = m_buffer.get() + m_pos;
    size_t used;  // bytes of the buffer the piece takes up
    const auto* lf = static_cast<const char*>(std::memchr(piece, '\n', (std::min)(available, max + 1)));
    if (lf && m_firstLineEnd == LineEnd::Platform)
        m_firstLineEnd = lf > piece && lf[-1] == '\r' ? LineEnd::CrLf : LineEnd::Lf;
    if (!lf) {
        *length = used = (std::min)(available, max);
    } else if (const auto at = static_cast<size_t>(lf - piece); at > 0 && piece[at - 1] == '\r') {
        piece[at - 1] = '\n';  // the pair read as one LF
        *length = at;
        used = at + 1;
    } else {
        *length = used = (std::min)(at + 1, max);
    }
    if (m_zero < m_pos) m_zero = FirstZero(m_pos);
    *textLength = (std::min)(*length, m_zero - m_pos);
    m_pos += used;
    return piece;
}

int TextReader::ReadPiece(char* buffer, int size)
{
    if (size < 2) return -1;
    const size_t capacity = static_cast<size_t>(size) - 1;
    size_t stored = 0;
    while (stored < capacity) {
        size_t length = 0;
        size_t textLength = 0;
        const char* piece = NextPiece((std::min)(capacity - stored, kTextStreamBufferBytes - 1), &length, &textLength);
        if (!piece) break;
        std::memcpy(buffer + stored, piece, length);
        stored += length;
        if (piece[length - 1] == '\n') break;
    }
    if (stored == 0) return -1;
    buffer[stored] = '\0';
    return static_cast<int>(stored);
}

}  // namespace filekit
