// Hostile input for every reader, one table per reader: cut files, empty
// files, odd bytes, huge values, deep nesting, devices, FIFOs and paths the
// system refuses. Only what the family suites do not already try is here.
#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>
#include <filekit/XMLFile.h>

#include "files/FileProbes.h"
#include "ini/IniSupport.h"
#include "platform/posix/Syscalls.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

using namespace filekit_test;

// Special paths: a device that is always empty, one that never ends, a FIFO
// without a writer (whose plain open would block), and a file the system
// refuses to open (made through the call table: tests run as root).
enum class Special { kNull, kFull, kFifo, kRefused };

constexpr const char* kRefusedName = "refused";

int RefusingOpen(const char* path, int flags, mode_t mode)
{
    const std::string name(path);
    if (name.size() >= 7 && name.compare(name.size() - 7, 7, kRefusedName) == 0) {
        errno = EACCES;
        return -1;
    }
    return filekit::RealSysCalls().open(path, flags, mode);
}

// Sets up the special path in dir and refuses it through the call table
// while it lives.
class SpecialPath {
public:
    SpecialPath(Special kind, const TempDir& dir)
    {
        switch (kind) {
        case Special::kNull: m_path = "/dev/null"; break;
        case Special::kFull: m_path = "/dev/full"; break;
        case Special::kFifo:
            m_path = dir.Path("fifo");
            if (mkfifo(m_path.c_str(), 0600) != 0) std::abort();
            break;
        case Special::kRefused:
            m_path = dir.Path(kRefusedName);
            WriteBytes(m_path, "[S]\nk=v\n");
            filekit::g_sys.open = RefusingOpen;
            break;
        }
    }
    ~SpecialPath() { filekit::g_sys = filekit::RealSysCalls(); }
    SpecialPath(const SpecialPath&) = delete;
    SpecialPath& operator=(const SpecialPath&) = delete;
    const char* c_str() const { return m_path.c_str(); }

private:
    std::string m_path;
};

const char* Name(Special kind)
{
    static const char* const names[] = {"/dev/null", "/dev/full", "fifo", "refused"};
    return names[static_cast<int>(kind)];
}

// Files the readers can read from: the special paths, each with its name.
const Special kSpecials[] = {Special::kNull, Special::kFull, Special::kFifo, Special::kRefused};

constexpr DWORD kChunk = 4096;  // LoadFile's chunk

// Deep structures are built a million levels deep; under Valgrind, where
// the depth adds only time, ten thousand.
size_t DeepLevels() { return std::getenv("FILEKIT_UNDER_MEMCHECK") ? 10000 : 1000000; }

// --- INI reader ------------------------------------------------------------------

TEST(BadInput, IniOpen)
{
    // Cut and empty files: the last line counts without its line end.
    const struct {
        std::string text;
        std::string model;  // "<open failed>" when Open gives 0
    } rows[] = {
        {"", ""},
        {"[S]\nk=v", "S0 [S] {}\nK0 k=v {}\n"},
        {"[S]\nk=v\n[T", "S0 [S] {}\nK0 k=v {}\nK0 [T= {}\n"},
        {"[S]\n;tail", "S0 [S] {}\n"},
        {"[S]\r", "S0 [S] {}\n"},
    };
    for (const auto& row : rows) EXPECT_EQ(DumpOfText(row.text), row.model) << Show(row.text.c_str());

    // Only regular files are read: a device may never end, and a FIFO
    // could not be read twice.
    for (const Special kind : kSpecials) {
        TempDir dir;
        SpecialPath path(kind, dir);
        CINIFile ini;
        const int result = ini.Open(path.c_str());
        EXPECT_EQ(std::to_string(result) + std::to_string(ini.IsOpen()) + Dump(ini), "00") << Name(kind);
    }
}

// --- XML reader ------------------------------------------------------------------

TEST(BadInput, XmlOpen)
{
    const std::string megabyte(size_t{1024} * 1024, 'v');
    std::string unclosed;
    for (size_t level = 0; level < DeepLevels(); ++level) unclosed += "<a>";
    const struct {
        const char* what;
        std::string bytes;
        std::string document;  // as read, or "<closed>" when refused
    } rows[] = {
        // Bytes are not checked as UTF-8: they come back as they were.
        {"invalid UTF-8", "<r a='\xFF'>\xC3(\xED\xA0\x80</r>", "<r a=\"\xFF\">\xC3(\xED\xA0\x80</r>"},
        {"a zero byte ends the text, cutting the document", std::string("<r>a\0b</r>", 10), "<closed>"},
        {"a megabyte of text", "<r>" + megabyte + "</r>", "<r>" + megabyte + "</r>"},
        {"deep and cut", unclosed, "<closed>"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        xml_test::Wrapper wrapper;
        const int result = xml_test::OpenText(wrapper, dir, row.bytes);
        EXPECT_EQ(result, row.document == "<closed>" ? 0 : 1) << row.what;
        EXPECT_TRUE(wrapper.Text() == row.document) << row.what;
    }

    for (const Special kind : kSpecials) {
        TempDir dir;
        SpecialPath path(kind, dir);
        CXMLParserWrapper wrapper;
        CXMLFile file;
        EXPECT_EQ(std::to_string(wrapper.Open(path.c_str())) + std::to_string(file.Open(path.c_str(), 0)) +
                      std::to_string(file.IsOpen()),
                  "000")
            << Name(kind);
    }
}

// --- Binary and text files -------------------------------------------------------

TEST(BadInput, TextAndBinaryFileOpen)
{
    // Every byte value but zero, and a megabyte without a line end, come
    // back whole: no byte is taken for an end of file.
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
    const std::string megabyte(size_t{1024} * 1024, 'x');
    for (const std::string& content : {everyByte, megabyte}) {
        TempDir dir;
        WriteBytes(dir.Path("f"), content);
        Loader f;
        ASSERT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
        EXPECT_TRUE(f.Load(kChunk) == "1 \"" + content + "\" " + std::to_string(content.size())) << content.size();
    }

    // The classes pass the system's answer on: devices and FIFOs open (a
    // FIFO without a writer at once, reading as empty); a refused file does
    // not, with the Win32 error. An endless device is not loaded: LoadFile
    // reads until the end, as asked.
    const struct {
        Special kind;
        std::string text;  // CTextFile: open result, last error (the file existed), LoadFile's line
        std::string binary;  // CBinaryFile: open result, last error
    } rows[] = {
        {Special::kNull, "1 183 1 NULL 0", "1 0"},
        {Special::kFull, "1 183", "1 0"},
        {Special::kFifo, "1 183 1 NULL 0", "1 0"},
        {Special::kRefused, "0 5", "0 5"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        SpecialPath path(row.kind, dir);
        Loader text;
        SetLastError(0);
        const int opened = text.Open(path.c_str(), 0);
        std::string textLine = std::to_string(opened) + " " + std::to_string(GetLastError());
        if (opened && row.kind != Special::kFull) textLine += " " + text.Load(kChunk);
        CBinaryFile binary;
        SetLastError(0);
        const int binaryOpened = binary.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
        EXPECT_EQ(textLine, row.text) << Name(row.kind);
        EXPECT_EQ(std::to_string(binaryOpened) + " " + std::to_string(GetLastError()), row.binary) << Name(row.kind);
    }
}

}  // namespace
