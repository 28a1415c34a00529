// The reader: the format's line classes, comment attachment, the two
// passes, the open state, and hostile files.
#include "ini/IniSupport.h"
#ifndef _WIN32
#include "platform/posix/Syscalls.h"
#endif

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace filekit_test;

TEST(IniReader, LinesTable)
{
    const std::string x999(999, 'x');
    const struct {
        std::string text;
        std::string model;
    } rows[] = {
        {"[Main]\nk=v\n", "S0 [Main] {}\nK0 k=v {}\n"},
        {"  [ Main ]  \n[Main] more text\n[[Main]]\n", "S0 [ Main ] {}\nS0 [Main] {}\nS0 [Main] {}\n"},
        {"[S]\n[]\na[b]=c\n[abc\n[ab[c]\n", "S0 [S] {}\nK0 []= {}\nK0 a[b]=c {}\nK0 [abc= {}\nK0 [ab[c]= {}\n"},
        {"[S]\n  ; text\nkey = value ; note\nk=v=w\nnovalue\n=v\nk=\n",
         "S0 [S] {}\nK0 ; text= {}\nK0 key=value ; note {}\nK0 k=v=w {}\nK0 novalue= {}\nK0 =v {}\nK0 k= {}\n"},
        {"[S]\n\"a=b\" = c\n\"k=v\nk=ab\xFE"
         "cd\nk=\"a\xFE b\"\xFE rest\nk\t=v\n",
         "S0 [S] {}\nK0 \"a=b\"=c {}\nK0 \"k=v= {}\nK0 k=ab {}\nK0 k=\"a<fe> b\" {}\nK0 k<09>=v {}\n"},
        {"[S]\n;c1\n;c2\nk=v\n;c\n\nk2=v\n;a\n\n;b;c\nk3=v\n",
         "S0 [S] {}\nK0 k=v {;c1\\n;c2}\nK0 k2=v {;c\\n}\nK0 k3=v {;a\\n\\n;b\\n;c}\n"},
        {";about\n\n[S]\n;\n[T]\n", "S0 [S] {;about}\nS0 [T] {;}\n"},
        {"[A]\nx=1\n;about B\n[B]\nk=v\n;tail\n", "S0 [A] {}\nK0 x=1 {}\nS0 [B] {;about B}\nK0 k=v {}\n"},
        {"\n;kA\nw=0\n;cA\n[A]\nx=1\n", "S0 [A] {;cA}\nK0 w=0 {<LF>\\n;kA}\nK0 x=1 {}\n"},
        {"k=v\n;c\n", ""},
        {"[S]\na=1\n[S]\nb=2\n", "S0 [S] {}\nK0 a=1 {}\nS0 [S] {}\nK0 b=2 {}\n"},
        {"[S]\n" + x999 + "\nk=v\n", "S0 [S] {}\nK0 " + x999.substr(0, 499) + "= {}\nK0 k=v {<LF>}\n"},
        {"[S]\n" + x999 + "yz\n", "S0 [S] {}\nK0 " + x999.substr(0, 499) + "= {}\nK0 yz= {}\n"},
        {"[S]\n;c1\n   \n;c2\nk=v\n", "S0 [S] {}\nK0 k=v {;c1\\n;c2}\n"},
        {std::string("[S]\nab\0cd=1\n\0[T]\nk=v\n", 21), "S0 [S] {}\nK0 ab= {}\nK0 k=v {}\n"},
        {"[S\xE9]\n\xC3\xA9=\xFF\n", "S0 [S<e9>] {}\nK0 <c3><a9>=<ff> {}\n"},
        {"[S]\nk=" + std::string(600, 'v') + "\n", "S0 [S] {}\nK0 k=" + std::string(499, 'v') + " {}\n"},
    };
    for (const auto& row : rows) {
        std::string crlf;
        for (char c : row.text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        EXPECT_EQ(DumpOfText(row.text), row.model) << Show(row.text.c_str());
        EXPECT_EQ(DumpOfText(crlf), row.model) << "CR LF: " << Show(row.text.c_str());
    }
}

TEST(IniReader, OpenState)
{
    TempDir dir;
    const std::string path = dir.Path("a.ini");
    WriteBytes(path, "[S]\nk=v\n");
    TestIni ini;
    // Closed, opened, opened again (refused: nothing read), closed, refused
    // a missing file and a folder, opened without a file, opened again.
    EXPECT_EQ(Results({ini.Close(), ini.Open(path.c_str()), ini.IsOpen(), ini.Open(path.c_str()), ini.Open()}),
              "0 1 1 0 0");
    EXPECT_EQ(std::string(ini.GetFile()) + "\n" + Dump(ini), path + "\nS0 [S] {}\nK0 k=v {}\n");
    EXPECT_EQ(Results({ini.Close(), ini.IsOpen(), ini.GetSectionCount(), ini.Open(dir.Path("missing.ini").c_str()),
                       ini.Open(dir.Root().c_str()), ini.IsOpen()}),
              "1 0 0 0 0 0");
    EXPECT_EQ(std::string(ini.GetFile()), path);  // kept through Close and failed opens
    EXPECT_EQ(Results({ini.Open(), ini.Open(path.c_str()), ini.AddNewSection("Old", nullptr)}), "1 0 1");
    ini.Empty();  // drops the model, keeps the file open
    EXPECT_EQ(Results({ini.IsOpen(), ini.GetSectionCount(), ini.Close()}), "1 0 1");

    // A read appends: keys above the first header go to its first new section.
    ASSERT_EQ(ini.AddNewSection("Old", nullptr), 1);
    WriteBytes(path, "top=1\n[S]\nk=v\n");
    ASSERT_EQ(ini.ReadFile(path.c_str()), 1);
    EXPECT_EQ(Dump(ini), "S1 [Old] {}\nS0 [S] {}\nK0 top=1 {}\nK0 k=v {}\n");
    ini.Empty();
    ASSERT_EQ(ini.ReadFile(path.c_str()) + ini.ReadFile(path.c_str()), 2);
    EXPECT_EQ(Dump(ini), "S0 [S] {}\nK0 top=1 {}\nK0 k=v {}\nS0 [S] {}\nK0 top=1 {}\nK0 k=v {}\n");
}

TEST(IniReader, HugeCommentRunsAndLinesAreCutAtTheLimits)
{
    // 999 gathered ';' store as ";" and then as many "\n;" as fit in 999 bytes.
    std::string stored = ";", run;
    while (stored.size() + 3 <= 999) stored += "\\n;";
    while (run.size() < size_t{10} * 1024 * 1024) run += ";\n";
    EXPECT_EQ(DumpOfText(run), "");
    EXPECT_EQ(DumpOfText(run + "[S]\n" + run + "k=v\n" + run), "S0 [S] {" + stored + "}\nK0 k=v {" + stored + "}\n");

    // A megabyte line is read in pieces of 999 bytes, each a key cut to 499.
    const std::string line(size_t{1024} * 1024, 'a');
    std::string model = "S0 [S] {}\n";
    for (size_t piece = 0; piece * 999 < line.size(); ++piece) model += "K0 " + std::string(499, 'a') + "= {}\n";
    EXPECT_EQ(DumpOfText("[S]\n" + line + "\n"), model);
}

// The change is made through the POSIX layer's table of calls.
#ifndef _WIN32
// The file at the path of the second open is replaced by g_replacement, or
// removed when that is null, just before the key pass opens it.
int g_opens = 0;
const char* g_replacement = nullptr;

std::string ReadWithChange(const char* replacement)
{
    TempDir dir;
    const std::string path = dir.Path("t.ini");
    WriteBytes(path, ";c\n[A]\na=1\n[B]\nb=1\n");
    g_opens = 0;
    g_replacement = replacement;
    filekit::g_sys.open = [](const char* name, int flags, mode_t mode) {
        if (++g_opens == 2) g_replacement ? WriteBytes(name, g_replacement) : void(std::remove(name));
        return filekit::RealSysCalls().open(name, flags, mode);
    };
    CINIFile ini;
    const int result = ini.Open(path.c_str());
    filekit::g_sys = filekit::RealSysCalls();
    return std::to_string(result) + std::to_string(ini.IsOpen()) + "\n" + Dump(ini);
}

TEST(IniReader, FileChangingBetweenThePasses)
{
    EXPECT_EQ(ReadWithChange(nullptr), "00\nS0 [A] {;c}\nS0 [B] {}\n");
    EXPECT_EQ(ReadWithChange("x=0\n[A2]\na=2\n[B2]\nb=2\n[C]\nc=3\n"),
              "11\nS0 [A] {;c}\nK0 x=0 {}\nK0 a=2 {}\nS0 [B] {}\nK0 b=2 {}\n");
    EXPECT_EQ(ReadWithChange("q=1\n"), "11\nS0 [A] {;c}\nK0 q=1 {}\nS0 [B] {}\n");
}
#endif

}  // namespace
