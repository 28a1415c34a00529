// SPDX-License-Identifier: MIT
/// \file
/// filekit — the application framework its interface uses.
///
/// filekit's exported classes take the framework's CString, CObject,
/// CObArray, CPtrArray, CStringArray and CArray. Which framework that is
/// was fixed when filekit was built (-DFILEKIT_FRAMEWORK=..., recorded in
/// <filekit/Config.h>), and an application compiles against the same:
///
/// ~~~
///   own      filekit's own stand-ins (<filekit/OwnFramework.h>), for
///            applications that bring no framework; the default
///   mfc      MFC itself: <afx.h> and <afxtempl.h>, MSVC, multibyte build;
///            filekit is then an MFC extension DLL
///   header   the application's own framework, from the header named by
///            -DFILEKIT_FRAMEWORK_HEADER (a CString port, say): it declares
///            the six classes with MFC's names and meaning, and may bring
///            the Windows types too
/// ~~~
///
/// filekit's own code uses only these operations, which MFC 4.2, today's
/// MFC and the stand-ins all have with one meaning (the stand-ins mark
/// every other member deprecated inside filekit's build, where warnings
/// are errors):
///
/// ~~~
///   CString   default and copy construction, copy assignment;
///             construction from and assignment of const char* (null: "");
///             CString(p, n) with n >= 0; the (const char*) conversion;
///             GetLength; IsEmpty as a truth value; == with const char*
///   CObject   a public base with a virtual destructor, never copied
///   arrays    GetSize (narrowed to int only by filekit::ArraySize);
///             GetAt, ElementAt and [] inside the bounds; GetData through
///             const; Add; SetSize(n, growBy), growBy also serving as the
///             hint of how many entries come next; InsertAt; SetAtGrow;
///             RemoveAt inside the bounds; RemoveAll
/// ~~~
///
/// Allocation failure is the one exception filekit lets through: its own
/// containers throw std::bad_alloc, the framework's strings and arrays what
/// the framework throws (MFC: CMemoryException*). Where a header says
/// std::bad_alloc, read the framework's exception for its strings too.
///
/// No reference to an array element is held across a growth of its array,
/// and every element type filekit keeps in a CArray survives relocation by
/// a memory copy (MFC moves elements so). Frameworks that build new
/// elements by zero-filling them, as MFC before 7.0 does through
/// ConstructElements, say so by defining _MFC_VER below 0x0700; filekit
/// then constructs its own element types itself (see <filekit/INIFile.h>).
#ifndef FILEKIT_FRAMEWORK_H
#define FILEKIT_FRAMEWORK_H

#include <filekit/Config.h>
#include <filekit/Export.h>

#if defined(FILEKIT_FRAMEWORK_MFC)
#if defined(_UNICODE) || defined(UNICODE)
#error                                                                                                                 \
    "filekit takes byte strings (CString of char): build it and the application with the multibyte character set, not _UNICODE"
#endif
#include <afx.h>
#include <afxtempl.h>
#elif defined(FILEKIT_FRAMEWORK_HEADER)
#include FILEKIT_FRAMEWORK_INCLUDE
#else
#include <filekit/OwnFramework.h>
#endif

#include <filekit/Win32.h>

namespace filekit {

/// The number of entries of a framework array, as the int that filekit's
/// interface counts in (frameworks of 64-bit platforms count in INT_PTR).
template <class Array>
int ArraySize(const Array& array)
{
    return static_cast<int>(array.GetSize());
}

}  // namespace filekit

#endif
