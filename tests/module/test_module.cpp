// SPDX-License-Identifier: MIT
// Library load and unload: the constants, the registration steps, refusal.
#include <filekit/INIFile.h>
#include <filekit/XMLFile.h>
#include <filekit/XMLParserWrapper.h>

#include "module/Module.h"
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace filekit_test;
using Record = filekit::ExtensionModule;

std::string g_calls;

// A framework's steps that record their call and accept or refuse.
BOOL Init(Record& r, HINSTANCE module) { return g_calls += "init ", r.module = module, r.initialized = TRUE; }
BOOL Refuse(Record&, HINSTANCE) { return g_calls += "refuse ", FALSE; }
bool Link(Record& r, BOOL system) { return g_calls += system ? "link-system " : "link ", r.linked = true; }
bool FailLink(Record&, BOOL) { return g_calls += "link-failed ", false; }
void Term(Record& r, BOOL all) { g_calls += all ? "term-all " : "term ", r.initialized = FALSE; }

// The record's state as "initialized linked".
std::string State(const Record& r) { return std::to_string(r.initialized) + std::to_string(r.linked); }

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
    Record attached;  // the stand-in leaves the framework again on detach
    for (const ScriptLine& line : ReadScript("module", "entry.txt")) {
        const std::vector<std::string> w = Words(line.text);
        const bool own = w[0] != "stand-in";
        const filekit::ModuleFramework framework =
            own ? filekit::ModuleFramework{w[0] == "init" ? Init : Refuse, w[1] == "link" ? Link : FailLink, Term}
                : standIn;
        g_calls.clear();
        Record fresh;
        Record& record = !own && w[1] == "DLL_PROCESS_DETACH" ? attached : fresh;
        const auto module = reinterpret_cast<HINSTANCE>(&record);
        const BOOL result = filekit::ModuleEntry(framework, record, module, Value(w.back()));
        EXPECT_EQ(std::to_string(result) + " " + g_calls + State(record) + (record.module == module ? " module" : ""),
                  line.expected)
            << line.where;
        if (!own && w[1] == "DLL_PROCESS_ATTACH") filekit::ModuleEntry(standIn, attached, nullptr, DLL_PROCESS_ATTACH);
    }
}

}  // namespace
