// SPDX-License-Identifier: MIT
// Shared pieces of the fuzz targets: a failed property stops the run with a
// message (libFuzzer then keeps the input as a crash), a scratch folder, and
// a reader that decodes choices and strings from the input bytes.
#ifndef FILEKIT_FUZZ_FUZZSUPPORT_H
#define FILEKIT_FUZZ_FUZZSUPPORT_H

#include <filekit/Framework.h>

#include "support/TempDir.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace filekit_fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void(0) : ::filekit_fuzz::Fail(#condition, __FILE__, __LINE__))

// A folder for the files a target writes, made once per process and
// removed with its content when the process ends.
inline const filekit_test::TempDir& ScratchFolder()
{
    static const filekit_test::TempDir folder;
    return folder;
}

// The bytes of a CString, zero bytes included.
inline std::string Bytes(const CString& text)
{
    return std::string(static_cast<const char*>(text), static_cast<size_t>(text.GetLength()));
}

inline CString ToCString(const std::string& text) { return CString(text.data(), static_cast<int>(text.size())); }

// Reads the input front to back. Once it is used up every read gives zero
// bytes, so a short input still decodes to a complete (if dull) run.
class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_pos >= m_size; }

    uint8_t Byte() { return Empty() ? 0 : m_data[m_pos++]; }

    // A number in [low, high], from one byte.
    int Between(int low, int high) { return low + Byte() % (high - low + 1); }

    // A length byte (cut to maxLength), then that many bytes.
    std::string Text(size_t maxLength)
    {
        const size_t length = std::min<size_t>(Byte(), maxLength);
        return Take(length);
    }

    // A length of two bytes (cut to maxLength), then that many bytes.
    std::string LongText(size_t maxLength)
    {
        const size_t high = Byte();
        const size_t length = std::min<size_t>(high << 8 | Byte(), maxLength);
        return Take(length);
    }

    // Every byte not read yet.
    std::string Rest() { return Take(m_size - (std::min)(m_pos, m_size)); }

private:
    std::string Take(size_t length)
    {
        const size_t take = (std::min)(length, m_size - (std::min)(m_pos, m_size));
        std::string taken(reinterpret_cast<const char*>(m_data + m_pos), take);
        m_pos += take;
        return taken;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace filekit_fuzz

#endif
