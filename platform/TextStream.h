// SPDX-License-Identifier: MIT
// Text-mode file streams for the INI reader and writer, internal.
//
// TextReader reads a file the way a stream opened "rt" does on Windows: a
// CR LF pair is read as one LF before the text is cut into pieces, so a
// CR LF file reads exactly like its LF twin. A lone CR stays a CR, and the
// text ends at the first Ctrl-Z byte (0x1A), as a text stream's does there.
// A UTF-8 byte order mark at the very start is skipped, and the reader tells
// whether there was one and which line end the file's first line has, so
// that a writer can give the file back as it came. Rewind starts the same
// open file again: a reader that reads twice reads one version of the file
// even if it is replaced in between.
// TextWriter writes "wt": each LF is stored as the chosen line end (by
// default the platform's: CR LF on Windows, LF elsewhere), and the file is
// replaced only once the whole text is written (see SafeFile). Both are buffered: no system call per
// character or per line. On Windows the reader is the C run-time's own
// text-mode stream, elsewhere our own over POSIX descriptors.
#ifndef FILEKIT_PLATFORM_TEXTSTREAM_H
#define FILEKIT_PLATFORM_TEXTSTREAM_H

#include "platform/SafeFile.h"

#include <cstddef>
#include <cstdio>
#include <memory>

namespace filekit {

// Size of the read and write buffers.
constexpr size_t kTextStreamBufferBytes = size_t{64} * 1024;

// The UTF-8 byte order mark, as it stands at the start of a file.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkBytes = sizeof kByteOrderMark - 1;

// How a line ends in a file: Platform is the platform's own (for a writer),
// or unknown (for a reader that has met no line feed).
enum class LineEnd { Platform, Lf, CrLf };

class TextReader {
public:
    TextReader() = default;
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Opens path for reading; false when it cannot be opened or is not a
    // regular file (a directory, a device, a FIFO).
    bool Open(const char* path);

    // Starts the open file again from its first byte (after its byte order
    // mark); false when no file is open or the system refuses.
    bool Rewind();

    // Whether a read of the file failed since Open or Rewind: the pieces
    // handed out then ended early, as if the file ended there.
    bool Failed() const;

    // Whether the file starts with a UTF-8 byte order mark, known once the
    // first piece was asked for.
    bool HasByteOrderMark() const { return m_byteOrderMark; }

    // The line end of the first line feed read (CR LF or LF); Platform while
    // none was read.
    LineEnd FirstLineEnd() const { return m_firstLineEnd; }

    // Reads the next piece as fgets does: at most size - 1 bytes, ending
    // after the first line feed, stored with a terminating zero. Returns the
    // number of bytes stored, or -1 (nothing stored) at the end of the file,
    // on a read error, or when size < 2.
    int ReadPiece(char* buffer, int size);

    // The next piece as ReadPiece cuts it for size max + 1, handed out in
    // place instead of copied: at most max bytes (1 <= max <
    // kTextStreamBufferBytes), not terminated. *length counts its bytes,
    // *textLength those before its first zero byte (the part a
    // zero-terminated routine sees). The caller may change the piece's bytes;
    // it stays valid until the next call or Close. Null at the end of the
    // file, on a read error, or when max is out of range.
    char* NextPiece(size_t max, size_t* length, size_t* textLength);

    void Close();

private:
    bool m_byteOrderMark = false;
    LineEnd m_firstLineEnd = LineEnd::Platform;
#ifdef _WIN32
    void ScanStart();

    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_piece;  // where NextPiece puts the stream's piece
#else
    void Refill(size_t max);
    size_t FirstZero(size_t from) const;

    int m_fd = -1;
    std::unique_ptr<char[]> m_buffer;
    size_t m_pos = 0;  // next byte to hand out
    size_t m_end = 0;  // end of the bytes read; CR LF pairs are folded as pieces are cut
    size_t m_zero = 0;  // the next zero byte, m_end when none was read; behind m_pos once handed out
    bool m_eof = false;
    bool m_readFailed = false;
    bool m_atStart = true;  // nothing handed out since Open or Rewind: a byte order mark may follow
#endif
};

class TextWriter {
public:
    TextWriter() = default;
    ~TextWriter();
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Starts replacing path (or creating it), storing each LF as lineEnd;
    // false when it cannot be written.
    bool Open(const char* path, LineEnd lineEnd = LineEnd::Platform);

    // Appends the bytes up to text's terminating zero.
    void Write(const char* text);
    void Write(const char* data, size_t length);

    // Text in code units of unitBytes (2 for UTF-16 or 4 for UTF-32, in the
    // byte order given) from now on, written in whole units: a line feed is
    // the unit 0x0A, and a CR line end is stored as a unit too. 1, the
    // default after Open, means bytes.
    void SetCodeUnit(size_t unitBytes, bool bigEndian);

    // Flushes and puts the text in place of the file's old content; false
    // when any write or step failed (the old content then stays).
    bool Close();

private:
    void Flush();
    void WriteUnits(const char* data, size_t length);
    void Append(const char* data, size_t length);

    SafeFile m_file;
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
    bool m_failed = false;
    bool m_crLf = false;  // each LF written as CR LF
    size_t m_unit = 1;  // bytes per code unit
    bool m_bigEndian = false;
};

}  // namespace filekit

#endif
