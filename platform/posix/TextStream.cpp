// The text-mode reader over POSIX descriptors (the writer is
// platform/TextWriter.cpp, alike everywhere).
//
// The reader converts CR LF to LF once per buffer fill with a single
// compacting pass, then hands out pieces with memchr and memcpy.
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

// Removes the CR of every CR LF pair in [begin, end) and returns the new
// end. A CR in the last byte is kept: its LF may come with the next read.
char* ConvertCrLf(char* begin, char* end)
{
    char* write = begin;
    char* read = begin;
    while (read < end) {
        auto* cr = static_cast<char*>(std::memchr(read, '\r', static_cast<size_t>(end - read)));
        if (!cr) cr = end;
        if (write != read) std::memmove(write, read, static_cast<size_t>(cr - read));
        write += cr - read;
        if (cr == end) break;
        if (cr + 1 < end && cr[1] == '\n') {
            read = cr + 1;  // drop the CR; the LF is copied with the next run
        } else {
            *write++ = '\r';
            read = cr + 1;
        }
    }
    return write;
}

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
    m_pos = m_end = 0;
    m_heldCR = m_eof = false;
    return true;
}

void TextReader::Close()
{
    if (m_fd >= 0) g_sys.close(m_fd);
    m_fd = -1;
}

// Called when every converted byte has been handed out.
bool TextReader::Fill()
{
    while (!m_eof) {
        size_t start = 0;
        if (m_heldCR) {
            m_buffer[0] = '\r';
            start = 1;
        }
        ssize_t got;
        do {
            got = g_sys.read(m_fd, m_buffer.get() + start, kTextStreamBufferBytes - start);
        } while (got < 0 && errno == EINTR);
        // The end of the file, a read error (which ends the text, as fgets
        // does) or a Ctrl-Z, which ends a text stream on Windows.
        char* begin = m_buffer.get();
        char* end = begin + start;
        if (got > 0) {
            end += got;
            if (auto* stop = static_cast<char*>(std::memchr(begin + start, kEndOfText, static_cast<size_t>(got)))) {
                end = stop;
                m_eof = true;
            }
        } else {
            m_eof = true;
        }
        end = ConvertCrLf(begin, end);
        // A CR that ends the text has no LF after it: it is an ordinary byte.
        m_heldCR = !m_eof && end > begin && end[-1] == '\r';
        m_pos = 0;
        m_end = static_cast<size_t>(end - begin) - (m_heldCR ? 1 : 0);
        if (m_end > 0) return true;
    }
    return false;
}

int TextReader::ReadPiece(char* buffer, int size)
{
    if (m_fd < 0 || size < 2) return -1;
    const size_t capacity = static_cast<size_t>(size) - 1;
    size_t stored = 0;
    while (stored < capacity) {
        if (m_pos == m_end && !Fill()) break;
        const char* from = m_buffer.get() + m_pos;
        size_t take = std::min(m_end - m_pos, capacity - stored);
        const auto* lf = static_cast<const char*>(std::memchr(from, '\n', take));
        if (lf) take = static_cast<size_t>(lf - from) + 1;
        std::memcpy(buffer + stored, from, take);
        stored += take;
        m_pos += take;
        if (lf) break;
    }
    if (stored == 0) return -1;
    buffer[stored] = '\0';
    return static_cast<int>(stored);
}

}  // namespace filekit
