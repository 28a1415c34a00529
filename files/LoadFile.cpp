// CTextFile::LoadFile and StrCatGrow: the whole rest of a file as one
// zero-terminated heap string, grown to exactly its length at every append.
#include <filekit/TextFile.h>

#include "platform/Heap.h"

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

// Reads up to chunk - 1 bytes into block and ends them with a zero, so the
// block is always a terminated string. Only the byte after the ones read
// needs clearing: the text ends at the first zero either way.
BOOL ReadChunk(HANDLE file, char* block, DWORD chunk, DWORD* read)
{
    const BOOL ok = ::ReadFile(file, block, chunk - 1, read, nullptr);
    if (ok) block[*read] = '\0';
    return ok;
}

}  // namespace

int CTextFile::LoadFile(char** buffer, DWORD* size, DWORD chunk)
{
    if (!buffer || !size) return 0;
    *size = 0;
    *buffer = nullptr;
    if (m_hFile == INVALID_HANDLE_VALUE || chunk == 0) return 0;
    auto* block = static_cast<char*>(filekit::g_heap.allocate(chunk));
    if (!block) return 0;

    // The string length of *buffer is tracked rather than measured again
    // at every append, which would cost the whole text so far per chunk.
    std::size_t length = 0;
    DWORD read = 0;
    while (ReadChunk(m_hFile, block, chunk, &read) && read > 0) {
        const std::size_t added = std::strlen(block);
        if (!AppendExact(buffer, length, block, added)) break;
        length += added;
        *size += read;
    }
    filekit::g_heap.release(block);
    return 1;
}

bool CTextFile::StrCatGrow(char** target, const char* text)
{
    if (!target || !text) return false;
    return AppendExact(target, *target ? std::strlen(*target) : 0, text, std::strlen(text));
}
