// SPDX-License-Identifier: MIT
// The class-wide constants and the library's lifetime.
//
// The constants are defined here, before the object that runs the load
// steps, so the C++ run-time constructs them first and destroys them last:
// they exist whenever any exported operation can run. In the Windows DLL the
// loader calls DllMain instead, after the run-time has built the constants.
#include <filekit/INIFile.h>
#include <filekit/XMLFile.h>
#include <filekit/XMLParserWrapper.h>

#include "module/Module.h"

const CString CINIFile::CST_EXT_INI("ini");
const CString CVersionableXMLFile::CST_TAG_ATTR_VERSION("version");
const CString CXMLParserWrapper::CST_TAG_ATTR_VALUE("value");

#if defined(_WIN32) && !defined(FILEKIT_STATIC)

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    return filekit::ModuleEntry(filekit::HostFramework(), filekit::LibraryModule(), module, reason);
}

#endif

namespace {

// Whether the load steps are ours to run: always, except inside the DLL,
// whose loader calls DllMain. The same objects also make the static library
// that is linked into a program, where no DllMain is ever called.
bool RunsWithoutDllMain()
{
#if defined(_WIN32) && !defined(FILEKIT_STATIC)
    static const char marker = 0;
    HMODULE self = nullptr;
    return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              &marker, &self) &&
           self == GetModuleHandleA(nullptr);
#else
    return true;
#endif
}

struct LibraryLifetime {
    const bool active = RunsWithoutDllMain();

    LibraryLifetime()
    {
        if (!active) return;
        filekit::ModuleEntry(filekit::StandInFramework(), filekit::LibraryModule(),
                             reinterpret_cast<HINSTANCE>(&filekit::LibraryModule()), DLL_PROCESS_ATTACH);
    }
    ~LibraryLifetime()
    {
        if (!active) return;
        filekit::ModuleEntry(filekit::StandInFramework(), filekit::LibraryModule(), nullptr, DLL_PROCESS_DETACH);
    }
};
const LibraryLifetime g_lifetime;

}  // namespace
