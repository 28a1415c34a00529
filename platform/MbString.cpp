// SPDX-License-Identifier: MIT
// Case-insensitive byte comparison with ASCII folding.
#include "platform/MbString.h"

namespace filekit {

namespace {
inline unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
}  // namespace

int _mbsicmp(const char* a, const char* b)
{
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        const unsigned char x = FoldAscii(*p);
        const unsigned char y = FoldAscii(*q);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

}  // namespace filekit
