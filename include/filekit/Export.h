// SPDX-License-Identifier: MIT
/// \file
/// filekit — symbol export.
///
/// FILEKIT_API marks every class and function that applications may use.
/// The library is built with hidden visibility, so only what carries this
/// macro is exported; on Windows the same macro selects dllexport while the
/// DLL is built and dllimport for applications. Define FILEKIT_STATIC when
/// linking the static library. It also carries the tag of the framework
/// filekit was built against (<filekit/Config.h>), so an application built
/// against another one fails to link.
///
/// \def FILEKIT_API
/// Marks a class or function that applications may use: exported from the
/// shared library, imported by applications (see the top of this header).
#ifndef FILEKIT_EXPORT_H
#define FILEKIT_EXPORT_H

#include <filekit/Config.h>

#if defined(FILEKIT_STATIC)
#define FILEKIT_API FILEKIT_FRAMEWORK_TAG
#elif defined(_WIN32)
#if defined(FILEKIT_BUILDING)
#define FILEKIT_API __declspec(dllexport) FILEKIT_FRAMEWORK_TAG
#else
#define FILEKIT_API __declspec(dllimport) FILEKIT_FRAMEWORK_TAG
#endif
#else
#define FILEKIT_API __attribute__((visibility("default"))) FILEKIT_FRAMEWORK_TAG
#endif

#endif
