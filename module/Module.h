// SPDX-License-Identifier: MIT
// The library's load and unload, internal.
//
// When the library is loaded it joins the application framework as an
// extension module; when unloaded it leaves it. The framework is reached
// through a small table so that tests can supply one that refuses. Built
// against MFC, the table is MFC's own extension-module functions
// (MfcModule.cpp); against any other framework, which has no modules, the
// stand-in below is a plain library initialisation: it records the module
// and never refuses.
#ifndef FILEKIT_MODULE_MODULE_H
#define FILEKIT_MODULE_MODULE_H

#include <filekit/Win32.h>

namespace filekit {

// The framework's record of an extension module.
struct ExtensionModule {
    BOOL initialized = FALSE;
    HINSTANCE module = nullptr;
    bool linked = false;  // inserted into the framework's chain of modules
};

// The framework services used at load and unload.
struct ModuleFramework {
    // Registers the module; FALSE refuses the load.
    BOOL (*initExtensionModule)(ExtensionModule& record, HINSTANCE module);
    // Creates the library-link object that chains the module into the
    // framework (which then owns it); false when it cannot be allocated.
    bool (*createLibraryLink)(ExtensionModule& record, BOOL systemModule);
    // Deregisters the module.
    void (*termExtensionModule)(ExtensionModule& record, BOOL all);
};

// The stand-in.
const ModuleFramework& StandInFramework();

// What the DLL's entry point uses: MFC's functions in the MFC extension
// DLL, the stand-in in every other. Linked statically into a program,
// the library is no module of its own and always takes the stand-in.
const ModuleFramework& HostFramework();

// The entry point: reason is DLL_PROCESS_ATTACH, DLL_PROCESS_DETACH,
// DLL_THREAD_ATTACH or DLL_THREAD_DETACH. Returns FALSE only when the
// framework refuses the module at process attach.
BOOL ModuleEntry(const ModuleFramework& framework, ExtensionModule& record, HINSTANCE module, DWORD reason);

// The library's own module record.
ExtensionModule& LibraryModule();

}  // namespace filekit

#endif
