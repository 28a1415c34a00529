// CTextFile::LoadFile and StrCatGrow: the whole rest of a file as one
// zero-terminated heap string. LoadFile reads each chunk straight into the
// text's own block, which grows geometrically (or is sized from the file's
// length up front), and trims it to the exact length at the end; StrCatGrow
// resizes to exactly the new length at every append.
#include <filekit/TextFile.h>

#include "platform/Heap.h"

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
// terminator and room for the next chunk's read.
class LoadedText {
public:
    LoadedText() = default;
    LoadedText(const LoadedText&) = delete;
    LoadedText& operator=(const LoadedText&) = delete;
    ~LoadedText() { filekit::g_heap.release(m_block); }

    // Makes room for room bytes after the text, growing the block at least
    // twofold so that the text is copied a bounded number of times in all;
    // false when memory runs out (the text stays).
    bool Reserve(std::size_t room, std::size_t hint)
    {
        if (m_length + room <= m_capacity) return true;
        std::size_t wanted = m_length + room;
        if (wanted < hint) wanted = hint;
        if (m_block && wanted - m_capacity < m_capacity) wanted = m_capacity * 2;
        auto* grown = static_cast<char*>(m_block ? filekit::g_heap.reallocate(m_block, wanted)
                                                 : filekit::g_heap.allocate(wanted));
        if (!grown) return false;
        m_block = grown;
        m_capacity = wanted;
        return true;
    }

    char* End() { return m_block + m_length; }

    // Takes the read bytes at End() up to their first zero byte into the
    // text and ends it there.
    void Take(std::size_t read)
    {
        m_length += strnlen(End(), read);
        m_block[m_length] = '\0';
    }

    // Hands the block over, trimmed to the text and its terminator; NULL
    // when no text was read.
    char* Release()
    {
        if (!m_block) return nullptr;
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
    char* m_block = nullptr;
    std::size_t m_length = 0;  // bytes of text, before the terminator
    std::size_t m_capacity = 0;
};

}  // namespace

int CTextFile::LoadFile(char** buffer, DWORD* size, DWORD chunk)
{
    if (!buffer || !size) return 0;
    *size = 0;
    *buffer = nullptr;
    if (m_hFile == INVALID_HANDLE_VALUE || chunk == 0) return 0;

    // Each read takes chunk - 1 bytes at the end of the text, where the
    // terminator goes; a chunk's text ends at its first zero byte, so the
    // next read starts right after it. Every pass of the loop reads at least
    // one byte or ends it, and the total is bounded by kMaxLoadedBytes.
    const DWORD toRead = chunk - 1;
    const std::uint64_t left = BytesLeft(m_hFile);
    const std::size_t hint =
        left < kMaxLoadedBytes && left <= SIZE_MAX - chunk ? static_cast<std::size_t>(left) + chunk : 0;
    LoadedText text;
    if (!text.Reserve(chunk, hint) && !text.Reserve(chunk, 0)) return 0;
    std::uint64_t total = 0;
    bool appended = false;  // some read's bytes reached the text
    DWORD read = 0;
    while (toRead > 0 && ::ReadFile(m_hFile, text.End(), toRead, &read, nullptr) && read > 0) {
        total += read;
        if (total > kMaxLoadedBytes) {  // *size would wrap: nothing is handed out
            *size = 0;
            return 0;
        }
        text.Take(read);
        appended = true;
        *size = static_cast<DWORD>(total);
        if (!text.Reserve(chunk, hint)) break;
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
