// The Win32 file functions, driven by the call scripts in tests/data/win32:
// one interpreter runs every script against the POSIX emulation here and,
// in the Windows build, against the system's own functions, so a line that
// fails on one side only is a difference between the emulation and Win32.
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace filekit_test;

class Win32Script : public ::testing::TestWithParam<std::string> {};

TEST_P(Win32Script, Runs)
{
    Interpreter interpreter;
    RunScript(interpreter, "win32", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scripts, Win32Script, ::testing::ValuesIn(DataFiles("win32")), CaseName);

}  // namespace
