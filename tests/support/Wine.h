// Test support: whether the tests run under wine.
//
// The Windows build is tested under wine, whose Win32 differs from
// Windows' own in a few answers. A test that checks such an answer names the
// difference and skips only that check there.
#ifndef FILEKIT_TESTS_SUPPORT_WINE_H
#define FILEKIT_TESTS_SUPPORT_WINE_H

#ifdef _WIN32
#include <windows.h>
#endif

namespace filekit_test {

inline bool RunningUnderWine()
{
#ifdef _WIN32
    // wine's ntdll exports its version; Windows' does not.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

}  // namespace filekit_test

#endif
