// SPDX-License-Identifier: MIT
// Saves and opens of every family under failing system calls, as rows of
// tables in tests/data/saves (crash-safe saves) and tests/data/badinput
// (hostile paths for every reader): each row sets up a folder, makes calls
// of the POSIX layer fail, runs one operation on "target", and compares the
// result and the whole folder afterwards. On Windows, where there is no call
// table, only the rows of saves/handles.txt run. A save killed at every step,
// then saved again, is checked for each family below the tables.
#include <filekit/BinaryFile.h>
#include <filekit/INIFile.h>
#include <filekit/TextFile.h>
#include <filekit/XMLFile.h>

#include "support/Script.h"
#include "support/TempDir.h"

#include <sys/stat.h>

#include <cstdint>
#include <regex>
#include <set>
#include <thread>
#include <tuple>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <type_traits>
#endif

namespace {

using namespace filekit_test;

std::string Operate(const std::string& op, const std::string& path, const std::string& content);

std::string g_path;  // the path the row's operation works on
std::string g_during;  // the result of the operation run under it, if any
HANDLE g_handle = INVALID_HANDLE_VALUE;  // the handle of a "read"

// A handle on the existing file at path, with that access and share mode.
HANDLE Hold(const std::string& path, DWORD access, DWORD share)
{
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// --- Calls that fail, and kill points ------------------------------------------

// The faults: {call, count, error, action}, the call failing at its
// count-th use (0: at every use) with error, or with error 0 writing half of
// what it is asked to, or (error -1) running the operation action on the
// row's path before it goes on.
std::vector<std::tuple<std::string, int, int, std::string>> g_faults;

#ifndef _WIN32
std::map<std::string, int> g_uses;
int g_killAt = 0;  // the kill point at which the process kills itself; 0: none
int g_points = 0;  // kill points passed, one before and one after each call

// The call named call, made through real, with its kill points and faults.
// A "short" fault halves the count of a read or write. A failing close
// still closes, as on Linux; a rename (the only call taking two paths)
// onto a device always fails, so that no fault can replace /dev/null on
// the machine running the tests.
template <typename R, typename... A>
R Hooked(const std::string& call, R (*real)(A...), A... args)
{
    if (++g_points == g_killAt) std::raise(SIGKILL);
    const int use = ++g_uses[call];
    int error = -1;  // none
    for (const auto& [name, count, code, action] : g_faults) {
        if (name != call || (count != 0 && count != use)) continue;
        if (error < 0) error = code;
        if (!action.empty()) g_during = Operate(action, g_path, "");
    }
    if constexpr (sizeof...(A) == 3) {
        if (error == 0) std::get<2>(std::tie(args...)) /= 2;
    }
    if constexpr (std::is_same_v<std::tuple<A...>, std::tuple<const char*, const char*>>) {
        if (std::string(std::get<1>(std::tie(args...))).rfind("/dev/", 0) == 0) error = EPERM;
    }
    R result = error <= 0 || call == "close" ? real(args...) : -1;
    if (error > 0) errno = error, result = -1;
    if (++g_points == g_killAt) std::raise(SIGKILL);
    return result;
}

// Every call of the table, hooked.
#define FILEKIT_CALLS(X)                                                                                               \
    X(open)                                                                                                            \
    X(close) X(write) X(read) X(fstat) X(fsync) X(lstat) X(readlink) X(fchmod) X(fchown) X(rename) X(unlink) X(flock)
#define FILEKIT_HOOK(call)                                                                                             \
    filekit::g_sys.call = [](auto... args) { return Hooked(#call, filekit::RealSysCalls().call, args...); };

// Hooks every call, with the faults listed in faults ("-" or
// "call#N=ERROR,call#N-M=ERROR,call*=ERROR,write#N=short,call#N=operation,...") and the
// process killing itself at kill point killAt (0: nowhere).
void Hook(const std::string& faults, int killAt)
{
    static const std::map<std::string, int> errors = {
        {"short", 0},       {"ENOSPC", ENOSPC}, {"EIO", EIO},       {"EACCES", EACCES},
        {"EROFS", EROFS},   {"EPERM", EPERM},   {"EISDIR", EISDIR}, {"EINTR", EINTR},
        {"EDQUOT", EDQUOT}, {"ENOENT", ENOENT}, {"EXDEV", EXDEV},   {"EBUSY", EBUSY},
        {"EMFILE", EMFILE}, {"EEXIST", EEXIST}, {"ENOLCK", ENOLCK}, {"ENAMETOOLONG", ENAMETOOLONG}};
    g_faults.clear();
    std::istringstream in(faults == "-" ? "" : faults);
    for (std::string item; std::getline(in, item, ',');) {
        if (item == "stdin") continue;  // not a call: see FreeStdin
        const size_t mark = item.find_first_of("#*"), equals = item.find('='), dash = item.find('-', mark);
        const std::string what = item.substr(equals + 1);
        const int first = item[mark] == '*' ? 0 : std::stoi(item.substr(mark + 1));
        for (int count = first; count <= (dash < equals ? std::stoi(item.substr(dash + 1)) : first); ++count)
            g_faults.emplace_back(item.substr(0, mark), count, errors.count(what) ? errors.at(what) : -1,
                                  errors.count(what) ? "" : what);
    }
    g_uses.clear();
    g_points = 0;
    g_killAt = killAt;
    FILEKIT_CALLS(FILEKIT_HOOK);
}

// With free, descriptor 0 is closed (a copy kept), as in a process started
// without a standard input: the next file opened takes it. Put back after.
void FreeStdin(bool free)
{
    static int copy = -1;
    if (free) copy = dup(0), close(0);
    if (!free && copy >= 0) dup2(copy, 0), close(copy), copy = -1;
}
#else
void Hook(const std::string&, int) {}  // no call table: the rows that run here make no faults
void FreeStdin(bool) {}
#endif

// --- The operations ------------------------------------------------------------

// Documents of each family, about 300 kB: many writes of a save's buffer,
// more than a pipe holds. The wrapper and the XML file read the same document.
struct Documents {
    TempDir dir;
    CINIFile ini;
    CXMLParserWrapper xml;
    CXMLFile xmlFile;
    Documents()
    {
        std::string text = ";a section\n[S]\n";
        for (int key = 0; text.size() < 300000; ++key)
            text += "k" + std::to_string(key) + "=" + std::string(200, 'n') + "\n";
        WriteBytes(dir.Path("source.ini"), text);
        WriteBytes(dir.Path("source.xml"), Unescape("<doc>\\{1389*<item>\\{200*n}</item>}</doc>"));
        const int opened = ini.Open(dir.Path("source.ini").c_str()) + xml.Open(dir.Path("source.xml").c_str());
        if (opened + xmlFile.Open(dir.Path("source.xml").c_str(), 0) != 3) std::abort();
    }
};

// Exposes the text file's loader.
struct TextLoader : CTextFile {
    using CTextFile::LoadFile;
};

// The result of operation op on path (content: the bytes the file held).
std::string Operate(const std::string& op, const std::string& path, const std::string& content)
{
    static Documents docs;
    const auto pair = [](long long a, long long b) { return std::to_string(a) + "," + std::to_string(b); };
    int result = 0;
    CINIFile ini;
    CXMLParserWrapper xml;
    CXMLFile xmlFile;
    CBinaryFile binary;
    TextLoader text;
    if (op.find("-save") != std::string::npos) {
        SetLastError(4242);  // no save sets it so: one left untouched shows
        result = op == "ini-save"   ? docs.ini.Save(path.c_str())
                 : op == "xml-save" ? docs.xml.Save(path.c_str())
                                    : docs.xmlFile.Save(path.c_str());
        return pair(result, GetLastError());
    }
    if (op == "ini-open") {  // Open, IsOpen, the number of sections and of keys
        result = ini.Open(path.c_str());
        int keys = 0;
        for (int i = 0; i < ini.GetSectionCount(); ++i) keys += ini.GetSection(i)->GetKeyCount();
        return pair(result, ini.IsOpen()) + "," + pair(ini.GetSectionCount(), keys);
    }
    if (op == "xml-open") return result = xml.Open(path.c_str()), pair(result, xml.IsOpen());
    if (op == "xmlfile-open") return result = xmlFile.Open(path.c_str(), 0), pair(result, xmlFile.IsOpen());
    if (op == "read") {  // three bytes read through a handle, then its close
        char got[4] = {};
        DWORD count = 0;
        g_handle = Hold(path, GENERIC_READ, FILE_SHARE_READ);
        ReadFile(g_handle, got, 3, &count, nullptr);
        return std::string(got) + "," + std::to_string(CloseHandle(g_handle));
    }
    if (op == "reopen") {  // under a read: closes its handle and opens the file "other" in its place
        result = CloseHandle(g_handle);
        g_handle = Hold(std::filesystem::path(path).replace_filename("other").string(), GENERIC_READ, FILE_SHARE_READ);
        return std::to_string(result);
    }
    SetLastError(0);
    result = op == "binary-open" ? binary.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0)
                                 : text.Open(path.c_str(), 0);
    std::string line = pair(result, GetLastError());
    if (op != "text-load" || !result) return line;
    char* loaded = nullptr;  // LoadFile's result, whether the text is the file's bytes, and its size
    DWORD size = 99;
    result = text.LoadFile(&loaded, &size, 4096);
    const std::string what = !loaded ? "null" : content == loaded ? "same" : "differs";
    std::free(loaded);
    return line + "," + std::to_string(result) + "," + what + "," + std::to_string(size);
}

// Operate with the faults listed in faults made and the process killing
// itself at kill point killAt (0: nowhere); an operation run under it adds
// "+" and its result.
std::string Faulty(const std::string& op, const std::string& path, const std::string& content,
                   const std::string& faults, int killAt = 0)
{
    g_path = path;
    g_during.clear();
    Hook(faults, killAt);
    FreeStdin(faults.find("stdin") != std::string::npos);
    const std::string result = Operate(op, path, content);
    FreeStdin(false);
    g_faults.clear();  // the calls stay hooked, failing no more
    return g_during.empty() ? result : result + "+" + g_during;
}

// The bytes each save operation writes.
std::string NewBytes(const std::string& op)
{
    static std::map<std::string, std::string> saved;
    const TempDir dir;
    if (op.find("-save") != std::string::npos && !saved.count(op))
        Operate(op, dir.Path("probe"), ""), saved[op] = ReadBytes(dir.Path("probe"));
    return saved[op];
}

// --- The folder before and after --------------------------------------------------

// Makes each comma-separated item of setup in the folder, with the folders
// above it: "name=old[:mode][:given][:held|:shareN]" (given: to owner
// 4321:4322), "name=fifo",
// "name=\"bytes\"", "name/", "name>link target" (@ is the folder),
// "name&other" (a hard link to the file other, made before), or "name"
// alone, made by nobody. held: a handle that shares nothing holds the file
// for writing; shareN: one holds it for reading, sharing N. Returns the
// bytes of the last file made.
std::string MakeFolder(const TempDir& dir, const std::string& setup, std::vector<HANDLE>& handles)
{
    std::string content;
    std::istringstream in(setup);
    for (std::string item; std::getline(in, item, ',');) {
        const size_t mark = item.find_first_of("=>&");
        const std::string path = dir.Path(item.substr(0, mark)), value = item.substr(mark + 1);
        if (mark == std::string::npos && item.back() == '/') std::filesystem::create_directory(path);
        if (mark == std::string::npos) continue;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (item[mark] == '>')
            std::filesystem::create_symlink(value[0] == '@' ? dir.Root().string() + value.substr(1) : value, path);
        if (item[mark] == '&') std::filesystem::create_hard_link(dir.Path(value), path);
#ifndef _WIN32
        if (value == "fifo") mkfifo(path.c_str(), 0600);
#endif
        if (item[mark] != '=' || value == "fifo") continue;
        content = value[0] == '"' ? Unescape(value.substr(1, value.size() - 2)) : "old";
        WriteBytes(path, content);
#ifndef _WIN32
        // The owner first: giving a file away clears its set-user and set-group bits.
        if (value.find(":given") != std::string::npos && chown(path.c_str(), 4321, 4322) != 0) std::abort();
        const size_t colon = item.find(':');
        if (colon != std::string::npos && std::isdigit(static_cast<unsigned char>(item[colon + 1])))
            chmod(path.c_str(), static_cast<mode_t>(std::stoul(item.substr(colon + 1), nullptr, 8)));
#endif
        const size_t share = value.find(":share");
        if (share != std::string::npos)
            handles.push_back(Hold(path, GENERIC_READ, static_cast<DWORD>(std::stoul(value.substr(share + 6)))));
        if (value.find(":held") != std::string::npos) handles.push_back(Hold(path, GENERIC_WRITE, 0));
    }
    return content;
}

// Every entry of the folder, sorted: "name/", "name>link target", "name=fifo
// :what it passed on", or "name=what[:mode][:given]" where what is old, new
// or the size in bytes, mode is shown unless it is 644 (a plain create
// under umask 022), and given is a file given to 4321:4322; Windows shows
// neither. A save's hidden new file ".name.XXXXXX" shows as
// ".name.*".
std::string View(const TempDir& dir, const std::string& newBytes, const std::string& received)
{
    namespace fs = std::filesystem;
    static const std::regex hidden(R"((^|/)(\.[^/]+\.)[A-Za-z0-9]{6}$)");
    std::multiset<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Root())) {
        const std::string name =
            std::regex_replace(entry.path().lexically_relative(dir.Root()).generic_string(), hidden, "$1$2*");
        const fs::file_type type = entry.symlink_status().type();
        const std::string bytes = type == fs::file_type::regular ? ReadBytes(entry.path().string()) : received;
        const std::string what = bytes == "old"                           ? "old"
                                 : !newBytes.empty() && bytes == newBytes ? "new"
                                                                          : std::to_string(bytes.size());
        std::ostringstream mode;
#ifndef _WIN32
        struct stat info {};
        lstat(entry.path().c_str(), &info);
        if ((info.st_mode & 07777) != 0644) mode << ":" << std::oct << (info.st_mode & 07777);
        if (info.st_uid == 4321 && info.st_gid == 4322) mode << ":given";
#endif
        std::string target = type == fs::file_type::symlink ? fs::read_symlink(entry.path()).string() : "";
        if (target.rfind(dir.Root().string(), 0) == 0) target.replace(0, dir.Root().string().size(), "@");
        std::string shown = name;
        if (type == fs::file_type::symlink)
            shown.append(">").append(target);
        else if (type == fs::file_type::directory)
            shown.append("/");
        else if (type == fs::file_type::fifo)
            shown.append("=fifo:").append(what);
        else
            shown.append("=").append(what).append(mode.str());
        lines.insert(shown);
    }
    std::string view;
    for (const std::string& line : lines) view += (view.empty() ? "" : " ") + line;
    return view.empty() ? "(empty)" : view;
}

// The identity of the file at path (0: none): its inode, or on Windows its
// file index.
std::uint64_t FileId(const std::string& path)
{
#ifdef _WIN32
    const HANDLE file = CreateFileA(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return known ? (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow : 0;
#else
    struct stat info {};
    return stat(path.c_str(), &info) ? 0 : info.st_ino;
#endif
}

// --- The tables --------------------------------------------------------------

// One row: "operation setup faults -> result inode view". The operation
// works on the path that setup names first ("-": "target"); a setup that
// starts with / is that path, nothing being made.
class FaultTable : public testing::TestWithParam<std::string> {};

TEST_P(FaultTable, Rows)
{
    for (const ScriptLine& row : ReadScript(FILEKIT_TABLES, GetParam())) {
        std::string op, setup, faults;
        std::istringstream(row.text) >> op >> setup >> faults;
#ifndef _WIN32
        umask(022);  // a plain create makes mode 644
        if (geteuid() != 0 && (row.text + row.expected).find(":given") != std::string::npos) continue;
#endif
        TempDir dir;
        std::vector<HANDLE> handles;
        const std::string content = setup[0] == '/' || setup == "-" ? "" : MakeFolder(dir, setup, handles);
        const std::string path =
            setup[0] == '/' ? setup : dir.Path(setup == "-" ? "target" : setup.substr(0, setup.find_first_of("=>,")));
        const std::uint64_t before = FileId(path);
        std::string received;
        std::thread reader;
        if (op.find("-save") != std::string::npos && setup.find("=fifo") != std::string::npos)
            reader = std::thread([&] { received = ReadBytes(path); });
        const std::string newBytes = NewBytes(op), result = Faulty(op, path, content, faults);
        if (reader.joinable()) reader.join();
        for (const HANDLE handle : handles) CloseHandle(handle);
        const std::string inode = !before ? "-" : FileId(path) == before ? "same" : "new";
        EXPECT_EQ(std::string(result).append(" ").append(inode).append(" ").append(View(dir, newBytes, received)),
                  row.expected)
            << row.where;
    }
}

#ifdef _WIN32
const std::vector<std::string> kTables = {"handles.txt"};  // the rows that need no call table
#else
const std::vector<std::string> kTables = DataFiles(FILEKIT_TABLES);
#endif
INSTANTIATE_TEST_SUITE_P(Data, FaultTable, testing::ValuesIn(kTables), CaseName);

// --- Killed saves ------------------------------------------------------------------

#ifdef FILEKIT_KILLED_SAVES
// A save killed at any call leaves the old file up to the rename and the
// new one after it, and nothing else but its hidden new file, which the
// next save removes. Under Valgrind each killed child runs many times
// slower: every seventh point, and the last, stand in for all of them there.
TEST(KilledSave, LeavesTheOldOrTheNewFile)
{
    const int step = std::getenv("FILEKIT_UNDER_MEMCHECK") ? 7 : 1;
    const std::regex left("(\\.target\\.\\*=\\S+ )?target=(old|new)");
    for (const char* op : {"ini-save", "xml-save", "xmlfile-save"}) {
        const std::string newBytes = NewBytes(op);
        TempDir counting;  // a save killed nowhere: how many kill points it passes
        WriteBytes(counting.Path("target"), "old");
        const int points = (Faulty(op, counting.Path("target"), "", "-"), g_points);
        std::string outcomes;  // o or n: the target after each kill
        for (int point = 1, last = 0; last < points; last = point, point = (std::min)(point + step, points)) {
            TempDir dir;
            WriteBytes(dir.Path("target"), "old");
            if (fork() == 0) Faulty(op, dir.Path("target"), "", "-", point), _exit(0);
            int status = 0;
            wait(&status);
            std::smatch match;
            const std::string view = View(dir, newBytes, "");
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && std::regex_match(view, match, left))
                << op << " point " << point << ": " << view;
            outcomes += match.empty() ? '?' : match.str(2)[0];
            const std::string again = Operate(op, dir.Path("target"), "");
            EXPECT_EQ(again + " " + View(dir, newBytes, ""), "1,0 target=new") << op << " saved again after " << point;
        }
        EXPECT_TRUE(std::regex_match(outcomes, std::regex("o+n+"))) << op << " " << outcomes;
    }
}
#endif

}  // namespace
