// SPDX-License-Identifier: MIT
// The library's place among MFC's extension modules, when it is built as an
// MFC extension DLL (FILEKIT_FRAMEWORK=mfc): the module record, the
// library-link object that chains filekit's resources and classes into the
// application's MFC, and their release at unload.
#include <filekit/Framework.h>

#include "module/Module.h"

namespace filekit {

namespace {

AFX_EXTENSION_MODULE g_mfcModule = {FALSE, nullptr};

BOOL MfcInit(ExtensionModule& record, HINSTANCE module)
{
    if (!AfxInitExtensionModule(g_mfcModule, module)) return FALSE;
    record.initialized = TRUE;
    record.module = module;
    return TRUE;
}

bool MfcLink(ExtensionModule& record, BOOL systemModule)
{
    // MFC's chain of modules owns the link object and deletes it at exit;
    // MFC reports a failed allocation by throwing CMemoryException*.
    try {
        new CDynLinkLibrary(g_mfcModule, systemModule);
    } catch (CMemoryException* failure) {
        failure->Delete();
        return false;
    }
    record.linked = true;
    return true;
}

void MfcTerm(ExtensionModule& record, BOOL all)
{
    AfxTermExtensionModule(g_mfcModule, all);
    record.linked = false;
    record.initialized = FALSE;
}

}  // namespace

const ModuleFramework& HostFramework()
{
    static const ModuleFramework framework = {MfcInit, MfcLink, MfcTerm};
    return framework;
}

}  // namespace filekit
