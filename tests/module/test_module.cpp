// Library load and unload: the constants, the registration steps, refusal.
#include <filekit/INIFile.h>
#include <filekit/XMLFile.h>
#include <filekit/XMLParserWrapper.h>

#include "module/Module.h"
#include "support/Script.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::string g_calls;

// A framework's steps that record their call and accept or refuse.
BOOL Init(filekit::ExtensionModule& record, HINSTANCE module)
{
    return g_calls += "init ", record.module = module, record.initialized = TRUE;
}
BOOL Refuse(filekit::ExtensionModule&, HINSTANCE) { return g_calls += "refuse ", FALSE; }
bool Link(filekit::ExtensionModule& record, BOOL system)
{
    return g_calls += system ? "link-system " : "link ", record.linked = true;
}
bool FailLink(filekit::ExtensionModule&, BOOL) { return g_calls += "link-failed ", false; }
void Term(filekit::ExtensionModule& record, BOOL all)
{
    g_calls += all ? "term-all " : "term ", record.initialized = FALSE;
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
    const std::map<std::string, DWORD> reasons = {{"DLL_PROCESS_ATTACH", DLL_PROCESS_ATTACH},
                                                  {"DLL_PROCESS_DETACH", DLL_PROCESS_DETACH},
                                                  {"DLL_THREAD_ATTACH", DLL_THREAD_ATTACH},
                                                  {"DLL_THREAD_DETACH", DLL_THREAD_DETACH}};
    const filekit::ModuleFramework standIn = filekit::StandInFramework();
    filekit::ExtensionModule attached;  // the stand-in leaves the framework again on detach
    for (const filekit_test::ScriptLine& line : filekit_test::ReadScript("module", "entry.txt")) {
        const std::vector<std::string> w = filekit_test::Words(line.text);
        const filekit::ModuleFramework framework =
            w[0] == "stand-in"
                ? standIn
                : filekit::ModuleFramework{w[0] == "init" ? Init : Refuse, w[1] == "link" ? Link : FailLink, Term};
        g_calls.clear();
        filekit::ExtensionModule fresh;
        filekit::ExtensionModule& record = w[0] == "stand-in" && w[1] == "DLL_PROCESS_DETACH" ? attached : fresh;
        const BOOL result =
            filekit::ModuleEntry(framework, record, reinterpret_cast<HINSTANCE>(&record), reasons.at(w.back()));
        EXPECT_EQ(std::to_string(result) + " " + g_calls + State(record) +
                      (record.module == reinterpret_cast<HINSTANCE>(&record) ? " module" : ""),
                  line.expected)
            << line.where;
        if (w[0] == "stand-in" && w[1] == "DLL_PROCESS_ATTACH")
            filekit::ModuleEntry(standIn, attached, nullptr, DLL_PROCESS_ATTACH);
    }
}

}  // namespace
