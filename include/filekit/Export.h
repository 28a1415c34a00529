/// \file
/// filekit — symbol export.
///
/// FILEKIT_API marks every class and function that applications may use.
/// The library is built with hidden visibility, so only what carries this
/// macro is exported; on Windows the same macro selects dllexport while the
/// DLL is built and dllimport for applications. Define FILEKIT_STATIC when
/// linking the static library.
///
/// \def FILEKIT_API
/// Marks a class or function that applications may use: exported from the
/// shared library, imported by applications (see the top of this header).
#ifndef FILEKIT_EXPORT_H
#define FILEKIT_EXPORT_H

#if defined(FILEKIT_STATIC)
#define FILEKIT_API
#elif defined(_WIN32)
#if defined(FILEKIT_BUILDING)
#define FILEKIT_API __declspec(dllexport)
#else
#define FILEKIT_API __declspec(dllimport)
#endif
#else
#define FILEKIT_API __attribute__((visibility("default")))
#endif

#endif
