// Library load and unload: the constants, the registration steps, refusal.
#include <filekit/INIFile.h>
#include <filekit/XMLFile.h>
#include <filekit/XMLParserWrapper.h>

#include "module/Module.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

// A module handle made from any address; on Windows HINSTANCE is a pointer
// to a type of its own, elsewhere a void pointer.
template <typename T>
HINSTANCE ModuleAt(T* address)
{
    return reinterpret_cast<HINSTANCE>(address);
}

BOOL RecordInit(filekit::ExtensionModule& record, HINSTANCE module)
{
    g_calls.push_back("init");
    record.initialized = TRUE;
    record.module = module;
    return TRUE;
}
BOOL Refuse(filekit::ExtensionModule&, HINSTANCE)
{
    g_calls.push_back("refuse");
    return FALSE;
}
bool RecordLink(filekit::ExtensionModule& record, BOOL systemModule)
{
    g_calls.push_back(systemModule ? "link system" : "link");
    record.linked = true;
    return true;
}
bool FailLink(filekit::ExtensionModule&, BOOL)
{
    g_calls.push_back("link failed");
    return false;
}
void RecordTerm(filekit::ExtensionModule& record, BOOL all)
{
    g_calls.push_back(all ? "term all" : "term");
    record.initialized = FALSE;
}

TEST(Module, ConstantsExistWhileTheLibraryIsLoaded)
{
    EXPECT_EQ(CINIFile::CST_EXT_INI, "ini");
    EXPECT_EQ(CVersionableXMLFile::CST_TAG_ATTR_VERSION, "version");
    EXPECT_EQ(CXMLParserWrapper::CST_TAG_ATTR_VALUE, "value");
    // The real load ran through the stand-in framework.
    EXPECT_TRUE(filekit::LibraryModule().initialized);
    EXPECT_TRUE(filekit::LibraryModule().linked);
}

TEST(Module, EntryPointStepsTable)
{
    struct Row {
        filekit::ModuleFramework framework;
        DWORD reason;
        BOOL result;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {{RecordInit, RecordLink, RecordTerm}, DLL_PROCESS_ATTACH, TRUE, {"init", "link"}},
        {{Refuse, RecordLink, RecordTerm}, DLL_PROCESS_ATTACH, FALSE, {"refuse"}},
        {{RecordInit, FailLink, RecordTerm}, DLL_PROCESS_ATTACH, TRUE, {"init", "link failed"}},
        {{RecordInit, RecordLink, RecordTerm}, DLL_PROCESS_DETACH, TRUE, {"term"}},
        {{RecordInit, RecordLink, RecordTerm}, DLL_THREAD_ATTACH, TRUE, {}},
        {{Refuse, FailLink, RecordTerm}, DLL_THREAD_DETACH, TRUE, {}},
    };
    for (const Row& r : rows) {
        g_calls.clear();
        filekit::ExtensionModule record;
        int marker = 0;
        EXPECT_EQ(filekit::ModuleEntry(r.framework, record, ModuleAt(&marker), r.reason), r.result) << r.reason;
        EXPECT_EQ(g_calls, r.calls) << r.reason;
    }
}

TEST(Module, RefusedLoadLeavesTheModuleUnregistered)
{
    filekit::ExtensionModule record;
    const filekit::ModuleFramework refusing = {Refuse, RecordLink, RecordTerm};
    EXPECT_FALSE(filekit::ModuleEntry(refusing, record, nullptr, DLL_PROCESS_ATTACH));
    EXPECT_FALSE(record.initialized);
    EXPECT_FALSE(record.linked);

    // The stand-in registers, links, and leaves again on detach.
    EXPECT_TRUE(filekit::ModuleEntry(filekit::StandInFramework(), record, ModuleAt(&record), DLL_PROCESS_ATTACH));
    EXPECT_TRUE(record.initialized);
    EXPECT_TRUE(record.linked);
    EXPECT_EQ(record.module, ModuleAt(&record));
    EXPECT_TRUE(filekit::ModuleEntry(filekit::StandInFramework(), record, nullptr, DLL_THREAD_ATTACH));
    EXPECT_TRUE(record.initialized);
    EXPECT_TRUE(filekit::ModuleEntry(filekit::StandInFramework(), record, nullptr, DLL_PROCESS_DETACH));
    EXPECT_FALSE(record.initialized);
    EXPECT_FALSE(record.linked);
}

}  // namespace
