// The read(2) floor, registered for every task that reads a file whole
// without building a model: INI open (the limit for any parser) and
// CTextFile::LoadFile.
#include "Floor.h"

#include "Job.h"
#include "Tasks.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace compare {

std::uint64_t CountLineEnds(const char* text, std::size_t size)
{
    std::uint64_t count = 0;
    const char* end = text + size;
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr; ++p)
        ++count;
    return count;
}

std::uint64_t TextDigest(std::uint64_t bytes, std::uint64_t lineEnds) { return Mix(Mix(0, bytes), lineEnds); }

namespace {

class ReadFloor : public Job {
public:
    // digest: report the text's size and line ends, for the tasks whose
    // filekit side loads the same text (not for INI open, whose models
    // report other counts).
    ReadFloor(const Input& input, bool digest) : m_path(input.path), m_digest(digest) {}
    ~ReadFloor() override { std::free(m_text); }

    void Run() override
    {
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) throw std::runtime_error("cannot open " + m_path);
        const auto size = static_cast<std::size_t>(info.st_size);
        m_text = static_cast<char*>(std::malloc(size + 1));
        if (!m_text) throw std::bad_alloc();
        std::size_t done = 0;
        ssize_t n;
        while (done < size && (n = ::read(fd, m_text + done, size - done)) > 0) done += static_cast<std::size_t>(n);
        ::close(fd);
        m_text[done] = '\0';
        m_bytes = done;
        m_lineEnds = CountLineEnds(m_text, done);
    }
    void Reset() override
    {
        std::free(m_text);
        m_text = nullptr;
    }
    std::uint64_t Digest() override { return m_digest ? TextDigest(m_bytes, m_lineEnds) : 0; }

private:
    std::string m_path;
    bool m_digest;
    char* m_text = nullptr;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_lineEnds = 0;
};

bool RegisterFloor(const char* task, bool digest)
{
    return Register({task, system::kFloor, Role::Floor, [digest](const Input& input) { return std::make_unique<ReadFloor>(input, digest); }});
}

[[maybe_unused]] const bool kRegistered[] = {
    RegisterFloor(task::kIniOpen, false),
    RegisterFloor(task::kIniOpenCrLf, false),
    RegisterFloor(task::kLoadFile4K, true),
    RegisterFloor(task::kLoadFile64K, true),
    RegisterFloor(task::kLoadFile1M, true),
};

}  // namespace
}  // namespace compare
