// SPDX-License-Identifier: MIT
// Load and unload steps, and the stand-in framework registration.
#include "module/Module.h"

namespace filekit {

namespace {

BOOL StandInInit(ExtensionModule& record, HINSTANCE module)
{
    record.initialized = TRUE;
    record.module = module;
    return TRUE;
}

bool StandInLink(ExtensionModule& record, BOOL)
{
    record.linked = true;
    return true;
}

void StandInTerm(ExtensionModule& record, BOOL)
{
    record.linked = false;
    record.initialized = FALSE;
}

}  // namespace

const ModuleFramework& StandInFramework()
{
    static const ModuleFramework framework = {StandInInit, StandInLink, StandInTerm};
    return framework;
}

#if !defined(FILEKIT_FRAMEWORK_MFC)
const ModuleFramework& HostFramework() { return StandInFramework(); }
#endif

ExtensionModule& LibraryModule()
{
    static ExtensionModule record;
    return record;
}

BOOL ModuleEntry(const ModuleFramework& framework, ExtensionModule& record, HINSTANCE module, DWORD reason)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // The class-wide constants are built by the C++ run-time before this
        // runs (see Constants.cpp), so they exist before any registration.
        if (!framework.initExtensionModule(record, module)) return FALSE;
        // Without the link the library still works, only unchained.
        framework.createLibraryLink(record, FALSE);
        return TRUE;
    case DLL_PROCESS_DETACH: framework.termExtensionModule(record, FALSE); return TRUE;
    default:  // thread attach and detach change nothing
        return TRUE;
    }
}

}  // namespace filekit
