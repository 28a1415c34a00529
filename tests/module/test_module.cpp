// Library load and unload: the constants, the registration steps, refusal.
#include <filekit/INIFile.h>
#include <filekit/XMLFile.h>
#include <filekit/XMLParserWrapper.h>

#include "module/Module.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_calls;

BOOL Init(filekit::ExtensionModule& record, HINSTANCE module)
{
    g_calls += "init ";
    record.initialized = TRUE;
    record.module = module;
    return TRUE;
}
BOOL Refuse(filekit::ExtensionModule&, HINSTANCE) { return g_calls += "refuse ", FALSE; }
bool Link(filekit::ExtensionModule& record, BOOL systemModule)
{
    g_calls += systemModule ? "link-system " : "link ";
    return record.linked = true;
}
bool FailLink(filekit::ExtensionModule&, BOOL) { return g_calls += "link-failed ", false; }
void Term(filekit::ExtensionModule& record, BOOL all)
{
    g_calls += all ? "term-all " : "term ";
    record.initialized = FALSE;
}

// The record's state as "initialized linked".
std::string State(const filekit::ExtensionModule& record)
{
    return std::to_string(record.initialized) + std::to_string(record.linked);
}

TEST(Module, ConstantsExistWhileTheLibraryIsLoaded)
{
    EXPECT_EQ(std::string(CINIFile::CST_EXT_INI + CVersionableXMLFile::CST_TAG_ATTR_VERSION +
                          CXMLParserWrapper::CST_TAG_ATTR_VALUE) +
                  State(filekit::LibraryModule()),
              "iniversionvalue11");  // the real load ran through the stand-in framework
}

TEST(Module, EntryPointStepsTable)
{
    const filekit::ModuleFramework standIn = filekit::StandInFramework();
    const struct {
        filekit::ModuleFramework framework;
        DWORD reason;
        std::string expected;  // result, calls, record state, " module" when the handle was recorded
    } rows[] = {
        {{Init, Link, Term}, DLL_PROCESS_ATTACH, "1 init link 11 module"},
        {{Refuse, Link, Term}, DLL_PROCESS_ATTACH, "0 refuse 00"},
        {{Init, FailLink, Term}, DLL_PROCESS_ATTACH, "1 init link-failed 10 module"},
        {{Init, Link, Term}, DLL_PROCESS_DETACH, "1 term 00"},
        {{Init, Link, Term}, DLL_THREAD_ATTACH, "1 00"},
        {{Refuse, FailLink, Term}, DLL_THREAD_DETACH, "1 00"},
        {standIn, DLL_PROCESS_ATTACH, "1 11 module"},
        {standIn, DLL_THREAD_ATTACH, "1 00"},
    };
    for (const auto& r : rows) {
        g_calls.clear();
        filekit::ExtensionModule record;
        const BOOL result = filekit::ModuleEntry(r.framework, record, reinterpret_cast<HINSTANCE>(&record), r.reason);
        EXPECT_EQ(std::to_string(result) + " " + g_calls + State(record) +
                      (record.module == reinterpret_cast<HINSTANCE>(&record) ? " module" : ""),
                  r.expected)
            << r.reason;
    }
    // The stand-in leaves the framework again on detach.
    filekit::ExtensionModule record;
    filekit::ModuleEntry(standIn, record, nullptr, DLL_PROCESS_ATTACH);
    const BOOL detached = filekit::ModuleEntry(standIn, record, nullptr, DLL_PROCESS_DETACH);
    EXPECT_EQ(std::to_string(detached) + State(record), "100");
}

}  // namespace
