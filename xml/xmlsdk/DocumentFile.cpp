// Reading and writing document files through the OS layer's calls, so tests
// can make a read or a write fail (on Windows, the system's own calls).
#include "xml/xmlsdk/DocumentFile.h"

#include "platform/TextStream.h"

#include <cstdint>

#ifdef _WIN32
#include <filekit/Win32.h>

#include <algorithm>
#else
#include "platform/posix/Syscalls.h"

#include <cerrno>
#include <fcntl.h>
#endif

namespace filekit::xml {

namespace {

// Reads the regular file at path into a block from the back end's
// allocator, which the document takes over. Null when it cannot be read.
#ifdef _WIN32
// On Windows through the system's own calls, at most kLargestRead bytes a call.
constexpr DWORD kLargestRead = DWORD{1} << 30;

void* ReadRegularFile(const char* path, size_t& length)
{
    const HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER info{};
    void* block = nullptr;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &info) && info.QuadPart > 0 &&
        static_cast<std::uintmax_t>(info.QuadPart) < SIZE_MAX) {
        const auto size = static_cast<size_t>(info.QuadPart);
        block = pugi::get_memory_allocation_function()(size);
        length = 0;
        while (block && length < size) {
            DWORD got = 0;
            const auto want = static_cast<DWORD>(std::min<size_t>(size - length, kLargestRead));
            if (!ReadFile(file, static_cast<char*>(block) + length, want, &got, nullptr)) {
                pugi::get_memory_deallocation_function()(block);
                block = nullptr;
            } else if (got == 0) {
                break;
            } else {
                length += got;
            }
        }
    }
    CloseHandle(file);
    return block;
}
#else
void* ReadRegularFile(const char* path, size_t& length)
{
    // Non-blocking, so that a FIFO without a writer cannot hang the open.
    const int fd = g_sys.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) return nullptr;
    struct stat info {};
    void* block = nullptr;
    if (g_sys.fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<std::uintmax_t>(info.st_size) < SIZE_MAX) {
        const auto size = static_cast<size_t>(info.st_size);
        block = pugi::get_memory_allocation_function()(size);
        length = 0;
        while (block && length < size) {
            const ssize_t got = g_sys.read(fd, static_cast<char*>(block) + length, size - length);
            if (got == 0) break;
            if (got > 0) {
                length += static_cast<size_t>(got);
            } else if (errno != EINTR) {
                pugi::get_memory_deallocation_function()(block);
                block = nullptr;
            }
        }
    }
    g_sys.close(fd);
    return block;
}
#endif

// True when some node lies more than limit levels below the document node.
bool NestedDeeperThan(const pugi::xml_node& document, unsigned limit)
{
    unsigned depth = 0;
    pugi::xml_node node = document;
    for (;;) {
        if (pugi::xml_node child = node.first_child()) {
            if (++depth > limit) return true;
            node = child;
            continue;
        }
        while (!node.next_sibling()) {
            if (depth == 0) return false;
            node = node.parent();
            --depth;
        }
        node = node.next_sibling();
    }
}

class StreamWriter : public pugi::xml_writer {
public:
    explicit StreamWriter(TextWriter& out) : m_out(out) {}
    void write(const void* data, size_t size) override { m_out.Write(static_cast<const char*>(data), size); }

private:
    TextWriter& m_out;
};

}  // namespace

bool LoadDocumentFile(pugi::xml_document& document, const char* path)
{
    size_t length = 0;
    void* block = ReadRegularFile(path, length);
    if (!block) return false;
    return document.load_buffer_inplace_own(block, length, kParseOptions, pugi::encoding_auto).status ==
           pugi::status_ok;
}

bool SaveDocumentFile(const pugi::xml_document& document, const char* path, unsigned maxIndentedDepth)
{
    const char* indent = NestedDeeperThan(document, maxIndentedDepth) ? "" : kIndent;
    TextWriter out;
    if (!out.Open(path)) return false;
    StreamWriter writer(out);
    document.save(writer, indent, pugi::format_indent, pugi::encoding_utf8);
    return out.Close();
}

}  // namespace filekit::xml
