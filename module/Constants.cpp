// The class-wide constants and the library's lifetime.
//
// The constants are defined here, before the object that runs the load
// steps, so the C++ run-time constructs them first and destroys them last:
// they exist whenever any exported operation can run. On Windows the loader
// calls DllMain instead, after the run-time has built the constants.
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
    return filekit::ModuleEntry(filekit::StandInFramework(), filekit::LibraryModule(), module, reason);
}

#else

namespace {
struct LibraryLifetime {
    LibraryLifetime()
    {
        filekit::ModuleEntry(filekit::StandInFramework(), filekit::LibraryModule(),
                             reinterpret_cast<HINSTANCE>(&filekit::LibraryModule()), DLL_PROCESS_ATTACH);
    }
    ~LibraryLifetime()
    {
        filekit::ModuleEntry(filekit::StandInFramework(), filekit::LibraryModule(), nullptr, DLL_PROCESS_DETACH);
    }
};
const LibraryLifetime g_lifetime;
}  // namespace

#endif
