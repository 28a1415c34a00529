// SPDX-License-Identifier: MIT
// CTextFile::LoadFile and StrCatGrow: the whole rest of a file as one
// zero-terminated heap string. LoadFile reads straight into the text's own
// block, in as few reads as the block's room allows, which grows
// geometrically (or is sized from the file's length up front), and trims it
// to the exact length at the end; StrCatGrow resizes to exactly the new
// length at every append.
#include <filekit/TextFile.h>

#include "platform/Heap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace {

// Appends the added bytes at text to the string of oldLength bytes at
// *target (NULL: no string yet), resizing the block to exactly the new
// length plus the terminator. On failure *target and its string are as they
// were. text may point into the target string itself.
bool AppendExact(char** target, std::size_t oldLength, const char* text, std::size_t addedLength)
{
    const std::less_equal<const char*> notAfter;
    const bool inside = *target && notAfter(*target, text) && notAfter(text, *target + oldLength);
    const std::size_t offset = inside ? static_cast<std::size_t>(text - *target) : 0;

    // realloc of NULL allocates, which starts the empty string a NULL
    // target needs and grows it in one call.
    auto* grown = static_cast<char*>(filekit::g_heap.reallocate(*target, oldLength + addedLength + 1));
    if (!grown) return false;
    std::memmove(grown + oldLength, inside ? grown + offset : text, addedLength);
    grown[oldLength + addedLength] = '\0';
    *target = grown;
    return true;
}

// The most bytes LoadFile reads: what its DWORD size output can count.
constexpr std::uint64_t kMaxLoadedBytes = 0xFFFFFFFFu;

// The most bytes one read takes: small enough that the zero-byte scan of
// Take finds them still in the processor's cache.
constexpr std::size_t kMaxReadBytes = std::size_t{256} << 10;

// The least room kept after the text: one byte to read, one for the
// terminator.
constexpr std::size_t kMinRoom = 2;

// The bytes left between the file's position and its end, when the system
// tells both (a regular file); 0 otherwise. Only a hint for the first block:
// the file may still grow or shrink while it is read.
std::uint64_t BytesLeft(HANDLE file)
{
    LONG high = 0;
    ::SetLastError(NO_ERROR);  // a low half of all ones is a position too
    const DWORD low = ::SetFilePointer(file, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return 0;
    DWORD sizeHigh = 0;
    const DWORD sizeLow = ::GetFileSize(file, &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return 0;
    const std::uint64_t position = (std::uint64_t{static_cast<DWORD>(high)} << 32) | low;
    const std::uint64_t size = (std::uint64_t{sizeHigh} << 32) | sizeLow;
    return size > position ? size - position : 0;
}

// The text being loaded: a malloc block that holds the text so far, its
// terminator and room for the next read. The file is cut into chunks of
// chunkText bytes from where loading started, and each chunk's text ends at
// its first zero byte; reads need not keep to chunk borders, since the bytes
// of a read are cut into chunks as they are taken.
class LoadedText {
public:
    explicit LoadedText(std::size_t chunkText) : m_chunkText(chunkText) {}
    LoadedText(const LoadedText&) = delete;
    LoadedText& operator=(const LoadedText&) = delete;
    ~LoadedText() { filekit::g_heap.release(m_block); }

    // Makes room for room bytes after the text, growing the block at least
    // twofold so that the text is copied a bounded number of times in all,
    // and to least bytes at once; false when memory runs out (the text
    // stays).
    bool Reserve(std::size_t room, std::size_t least)
    {
        if (m_length + room <= m_capacity) return true;
        std::size_t wanted = m_length + room;
        if (wanted < least) wanted = least;
        if (m_block && wanted - m_capacity < m_capacity) wanted = m_capacity * 2;
        auto* grown = static_cast<char*>(m_block ? filekit::g_heap.reallocate(m_block, wanted)
                                                 : filekit::g_heap.allocate(wanted));
        if (!grown) return false;
        m_block = grown;
        m_capacity = wanted;
        return true;
    }

    // Where the next read goes, and how much it may take: the room left but
    // the terminator's byte, at most kMaxReadBytes.
    char* End() { return m_block + m_length; }
    DWORD Room() const
    {
        const std::size_t room = m_capacity - m_length - 1;
        return room < kMaxReadBytes ? static_cast<DWORD>(room) : static_cast<DWORD>(kMaxReadBytes);
    }

    // Takes the read bytes at End() into the text, each chunk's up to its
    // first zero byte, and ends the text there. Text without zero bytes is
    // taken where it was read, without a move.
    void Take(std::size_t read)
    {
        const char* raw = End();
        if (!m_dropping && !std::memchr(raw, '\0', read)) {
            m_length += read;
            m_inChunk = (m_inChunk + read) % m_chunkText;
            read = 0;
        }
        while (read > 0) {
            const std::size_t part = (std::min)(read, m_chunkText - m_inChunk);
            if (!m_dropping) {
                const auto* zero = static_cast<const char*>(std::memchr(raw, '\0', part));
                const std::size_t kept = zero ? static_cast<std::size_t>(zero - raw) : part;
                std::memmove(End(), raw, kept);
                m_length += kept;
                m_dropping = zero != nullptr;
            }
            raw += part;
            read -= part;
            m_inChunk += part;
            if (m_inChunk == m_chunkText) {
                m_inChunk = 0;
                m_dropping = false;
            }
        }
        m_block[m_length] = '\0';
    }

    // Hands the block over, trimmed to the text and its terminator.
    char* Release()
    {
        char* block = m_block;
        if (m_length + 1 < m_capacity) {
            auto* trimmed = static_cast<char*>(filekit::g_heap.reallocate(m_block, m_length + 1));
            if (trimmed) block = trimmed;
        }
        m_block = nullptr;
        m_length = m_capacity = 0;
        return block;
    }

private:
    const std::size_t m_chunkText;  // bytes of one chunk
    char* m_block = nullptr;
    std::size_t m_length = 0;  // bytes of text, before the terminator
    std::size_t m_capacity = 0;
    std::size_t m_inChunk = 0;  // bytes of the current chunk taken so far
    bool m_dropping = false;  // the current chunk met its zero byte
};

}  // namespace

int CTextFile::LoadFile(char** buffer, DWORD* size, DWORD chunk)
{
    if (!buffer || !size) return 0;
    *size = 0;
    *buffer = nullptr;
    if (m_hFile == INVALID_HANDLE_VALUE || chunk == 0) return 0;
    if (chunk == 1) return 1;  // a chunk with room for the terminator alone reads nothing

    // A regular file is read whole into a block sized from its length, with
    // a spare byte for the read that finds its end; a stream fills the room
    // of a block that starts at chunk bytes and doubles as the text grows.
    // Reads need not keep to chunk borders (Take cuts the chunks), so each
    // takes the room there is, up to kMaxReadBytes. Every pass of the loop reads at least one
    // byte or ends it, and the total is bounded by kMaxLoadedBytes.
    const std::uint64_t left = BytesLeft(m_hFile);
    const std::size_t first = left > 0 && left < kMaxLoadedBytes && left <= SIZE_MAX - kMinRoom
                                  ? static_cast<std::size_t>(left) + kMinRoom
                                  : chunk;
    LoadedText text(chunk - 1);
    if (!text.Reserve(kMinRoom, first) && !text.Reserve(kMinRoom, chunk)) return 0;
    std::uint64_t total = 0;
    bool appended = false;  // some read's bytes reached the text
    DWORD read = 0;
    while (::ReadFile(m_hFile, text.End(), text.Room(), &read, nullptr) && read > 0) {
        total += read;
        if (total > kMaxLoadedBytes) {  // *size would wrap: nothing is handed out
            *size = 0;
            return 0;
        }
        text.Take(read);
        appended = true;
        *size = static_cast<DWORD>(total);
        if (!text.Reserve(kMinRoom, 0)) break;
    }
    // A read of nothing hands out no block, as before any append.
    if (appended) *buffer = text.Release();
    return 1;
}

bool CTextFile::StrCatGrow(char** target, const char* text)
{
    if (!target || !text) return false;
    return AppendExact(target, *target ? std::strlen(*target) : 0, text, std::strlen(text));
}
