// SPDX-License-Identifier: MIT
/// \file
/// filekit — Win32 types, constants and file functions.
///
/// On Windows this is <windows.h> (with MFC, <afx.h>, which includes it)
/// and nothing is emulated. Elsewhere it
/// declares the subset the file classes use, implemented over POSIX with the
/// Win32 meaning of every argument and result:
///
///  - the five creation dispositions, with GetLastError() set as Win32 sets
///    it (ERROR_ALREADY_EXISTS after OPEN_ALWAYS / CREATE_ALWAYS found the
///    file, 0 after every other successful open). CREATE_ALWAYS and
///    TRUNCATE_EXISTING empty an existing file whatever access the handle
///    asks for. A name that ends in a separator names a folder: a file under
///    such a name is refused with ERROR_INVALID_NAME;
///  - access rights enforced per handle: reading through a handle without
///    read access, or writing, truncating or flushing through one without
///    write access, fails with ERROR_ACCESS_DENIED. A handle that may only
///    append (FILE_APPEND_DATA alone) writes at the end of the file;
///  - share modes: inside one process a second open whose access or share
///    mode conflicts with a handle already open on the same file (same device
///    and inode) fails with ERROR_SHARING_VIOLATION, by the Win32 rules.
///    Across processes the rules are carried by advisory flock(2) locks: a
///    handle whose share mode grants neither FILE_SHARE_READ nor
///    FILE_SHARE_WRITE holds an exclusive lock, every other handle a shared
///    one. So an exclusive opener is refused while another process has the
///    file open through filekit, and every filekit opener is refused while
///    another process holds it exclusively. Finer cross-process conflicts
///    (a writer against a handle that shares reading only) are not detected,
///    and processes that do not take flock locks are never blocked. The
///    library's own saves (CINIFile, the XML classes) obey the same rules:
///    a file held by a handle that shares neither writing nor deletion, or
///    held exclusively by another process, is not replaced
///    (ERROR_SHARING_VIOLATION), as Windows refuses to replace it;
///  - a handle closed by CloseHandle while another thread's ReadFile,
///    WriteFile or other call is working on it: that call ends on the
///    handle's own file, whose descriptor is closed only when the call
///    returns, so it never reaches a file opened meanwhile;
///  - 64-bit positions and sizes through the high parts;
///  - INVALID_HANDLE_VALUE, and any value not handed out by CreateFileA,
///    answered with FALSE / INVALID_FILE_SIZE / INVALID_SET_FILE_POINTER and
///    ERROR_INVALID_HANDLE; except that CloseHandle(INVALID_HANDLE_VALUE)
///    succeeds and changes nothing, as on Win32, where the value is also the
///    current process's pseudo-handle.
///
/// Not emulated: overlapped (asynchronous) I/O, security attributes, template
/// files, and the FILE_FLAG_* values, which are accepted and ignored. A
/// directory given as a file name fails with ERROR_ACCESS_DENIED, as on Win32.
///
/// Where POSIX file names and permissions differ from Win32's, the POSIX
/// meaning is kept (the same tests run against Win32 itself show these as
/// the only differences):
///  - opens that do not go through CreateFileA (fopen, std::fstream, other
///    libraries) are never checked against share modes, and take none;
///  - names are case-sensitive, and a trailing dot or space is part of the
///    name: "a.ini", "A.INI" and "a.ini." are three files, one on Win32;
///  - characters that Win32 refuses in names (< > : " | ? *) are accepted,
///    and paths longer than Win32's 260 characters work;
///  - a file whose permissions forbid writing (FILE_ATTRIBUTE_READONLY at
///    creation) is still writable by the superuser, as POSIX allows.
#ifndef FILEKIT_WIN32_H
#define FILEKIT_WIN32_H

#ifdef _WIN32
#include <filekit/Config.h>
#if defined(FILEKIT_FRAMEWORK_MFC)
#include <afx.h>  // MFC's headers must come before <windows.h>, which they include
#else
#include <windows.h>
#endif
#else

#include <filekit/Export.h>

#include <cstdint>

/// \name Win32 integer, string and handle types
/// Declared here unless the application's framework brought them first,
/// which it tells by defining _WINDEF_ as <windef.h> does.
///@{

#ifndef _WINDEF_
/// With the Win32 widths: DWORD and LONG are 32 bits, HANDLE is pointer-sized.
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef std::intptr_t LONG_PTR;
typedef std::intptr_t INT_PTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef void* HANDLE;
typedef void* HINSTANCE;
/// Narrow characters only: filekit has no wide-character build.
typedef const char* LPCSTR;
typedef const char* LPCTSTR;
typedef char* LPSTR;
typedef char* LPTSTR;
#endif
///@}

/// \name Truth values
///@{

/// Truth values.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
///@}

#ifndef _WINBASE_
struct _SECURITY_ATTRIBUTES;
/// Security attributes are not supported: always pass null.
typedef _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

/// The position of a read or write made at a given offset (there is no
/// asynchronous I/O: Offset and OffsetHigh alone are used).
typedef struct _OVERLAPPED {
    std::uintptr_t Internal;  ///< unused
    std::uintptr_t InternalHigh;  ///< unused
    DWORD Offset;  ///< low 32 bits of the file position
    DWORD OffsetHigh;  ///< high 32 bits of the file position
    HANDLE hEvent;  ///< unused
} OVERLAPPED;
/// Pointer to an OVERLAPPED position.
typedef OVERLAPPED* LPOVERLAPPED;
#endif

/// \name Failure values
///@{

/// What the functions return for an invalid handle or a failed call.
#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
#endif
#ifndef INVALID_FILE_SIZE
#define INVALID_FILE_SIZE (static_cast<DWORD>(0xFFFFFFFF))
#endif
#ifndef INVALID_SET_FILE_POINTER
#define INVALID_SET_FILE_POINTER (static_cast<DWORD>(-1))
#endif
///@}

/// \name Access rights
///@{

/// The desired access of CreateFileA.
#ifndef GENERIC_READ
#define GENERIC_READ 0x80000000u
#endif
#ifndef GENERIC_WRITE
#define GENERIC_WRITE 0x40000000u
#endif
#ifndef GENERIC_EXECUTE
#define GENERIC_EXECUTE 0x20000000u
#endif
#ifndef GENERIC_ALL
#define GENERIC_ALL 0x10000000u
#endif
#ifndef FILE_READ_DATA
#define FILE_READ_DATA 0x0001u
#endif
#ifndef FILE_WRITE_DATA
#define FILE_WRITE_DATA 0x0002u
#endif
#ifndef FILE_APPEND_DATA
#define FILE_APPEND_DATA 0x0004u
#endif
#ifndef DELETE
#define DELETE 0x00010000u
#endif
///@}

/// \name Share modes
///@{

/// What other handles on the same file may do while this one is open.
#ifndef FILE_SHARE_READ
#define FILE_SHARE_READ 0x00000001u
#endif
#ifndef FILE_SHARE_WRITE
#define FILE_SHARE_WRITE 0x00000002u
#endif
#ifndef FILE_SHARE_DELETE
#define FILE_SHARE_DELETE 0x00000004u
#endif
///@}

/// \name Creation dispositions
///@{

/// What CreateFileA does with an existing and with a missing file.
#ifndef CREATE_NEW
#define CREATE_NEW 1
#endif
#ifndef CREATE_ALWAYS
#define CREATE_ALWAYS 2
#endif
#ifndef OPEN_EXISTING
#define OPEN_EXISTING 3
#endif
#ifndef OPEN_ALWAYS
#define OPEN_ALWAYS 4
#endif
#ifndef TRUNCATE_EXISTING
#define TRUNCATE_EXISTING 5
#endif
///@}

/// \name Attributes and flags
///@{

/// FILE_ATTRIBUTE_READONLY makes a created file read-only; the others are accepted and ignored.
#ifndef FILE_ATTRIBUTE_READONLY
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#endif
#ifndef FILE_ATTRIBUTE_HIDDEN
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#endif
#ifndef FILE_ATTRIBUTE_SYSTEM
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#endif
#ifndef FILE_ATTRIBUTE_DIRECTORY
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#endif
#ifndef FILE_ATTRIBUTE_ARCHIVE
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#endif
#ifndef FILE_ATTRIBUTE_NORMAL
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#endif
#ifndef FILE_ATTRIBUTE_TEMPORARY
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#endif
#ifndef FILE_FLAG_WRITE_THROUGH
#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#endif
#ifndef FILE_FLAG_RANDOM_ACCESS
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#endif
#ifndef FILE_FLAG_SEQUENTIAL_SCAN
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#endif
///@}

/// \name Move methods
///@{

/// Where SetFilePointer counts from.
#ifndef FILE_BEGIN
#define FILE_BEGIN 0
#endif
#ifndef FILE_CURRENT
#define FILE_CURRENT 1
#endif
#ifndef FILE_END
#define FILE_END 2
#endif
///@}

/// \name Module entry reasons
///@{

/// Module entry reasons.
#ifndef DLL_PROCESS_DETACH
#define DLL_PROCESS_DETACH 0
#endif
#ifndef DLL_PROCESS_ATTACH
#define DLL_PROCESS_ATTACH 1
#endif
#ifndef DLL_THREAD_ATTACH
#define DLL_THREAD_ATTACH 2
#endif
#ifndef DLL_THREAD_DETACH
#define DLL_THREAD_DETACH 3
#endif
///@}

/// \name Error codes
///@{

/// The values GetLastError() returns, as on Win32.
#ifndef NO_ERROR
#define NO_ERROR 0L
#endif
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2L
#endif
#ifndef ERROR_PATH_NOT_FOUND
#define ERROR_PATH_NOT_FOUND 3L
#endif
#ifndef ERROR_TOO_MANY_OPEN_FILES
#define ERROR_TOO_MANY_OPEN_FILES 4L
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5L
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L
#endif
#ifndef ERROR_NOT_ENOUGH_MEMORY
#define ERROR_NOT_ENOUGH_MEMORY 8L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_SHARING_VIOLATION
#define ERROR_SHARING_VIOLATION 32L
#endif
#ifndef ERROR_HANDLE_EOF
#define ERROR_HANDLE_EOF 38L
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50L
#endif
#ifndef ERROR_FILE_EXISTS
#define ERROR_FILE_EXISTS 80L
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112L
#endif
#ifndef ERROR_INVALID_NAME
#define ERROR_INVALID_NAME 123L
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131L
#endif
#ifndef ERROR_ALREADY_EXISTS
#define ERROR_ALREADY_EXISTS 183L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif
#ifndef ERROR_NOACCESS
#define ERROR_NOACCESS 998L
#endif
#ifndef ERROR_IO_DEVICE
#define ERROR_IO_DEVICE 1117L
#endif
#ifndef ERROR_INVALID_USER_BUFFER
#define ERROR_INVALID_USER_BUFFER 1784L
#endif
///@}

/// \name File functions
///@{

/// The Win32 functions with their Win32 arguments, results and error codes
/// (see the top of this header for what is emulated). Each failure sets
/// the calling thread's last error, read with GetLastError().
FILEKIT_API HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                               DWORD flagsAndAttributes, HANDLE templateFile);
FILEKIT_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
FILEKIT_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                           LPOVERLAPPED overlapped);
FILEKIT_API DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod);
FILEKIT_API DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
FILEKIT_API BOOL SetEndOfFile(HANDLE file);
FILEKIT_API BOOL FlushFileBuffers(HANDLE file);
FILEKIT_API BOOL CloseHandle(HANDLE object);
FILEKIT_API DWORD GetLastError();
FILEKIT_API void SetLastError(DWORD errorCode);
///@}

#endif  // _WIN32
#endif
