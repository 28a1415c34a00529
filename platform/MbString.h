// SPDX-License-Identifier: MIT
// Multibyte comparison and classification, internal to the library.
//
// The classes compare names and classify characters the way the runtime's
// multibyte routines do. filekit uses one fixed rule on every platform, so a
// file means the same everywhere: bytes are compared as unsigned values,
// only ASCII letters fold, and bytes 0x80-0xFF are neither letters nor
// digits.
#ifndef FILEKIT_PLATFORM_MBSTRING_H
#define FILEKIT_PLATFORM_MBSTRING_H

#include <cstring>

namespace filekit {

// Exact byte comparison of two zero-terminated strings: <0, 0 or >0.
inline int _mbscmp(const char* a, const char* b) { return std::strcmp(a, b); }

// As _mbscmp with ASCII letters folded to lower case.
int _mbsicmp(const char* a, const char* b);

// ASCII letter or digit; values outside 0-127 (a sign-widened byte
// 0x80-0xFF included) are neither.
inline int _ismbcalnum(unsigned int c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ASCII digit.
inline int _ismbcdigit(unsigned int c) { return c >= '0' && c <= '9'; }

}  // namespace filekit

#endif
