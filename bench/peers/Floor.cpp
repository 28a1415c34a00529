// SPDX-License-Identifier: MIT
// The read(2) floor, registered for every task that reads a file whole:
// INI open (the limit for any parser) and CTextFile::LoadFile.
#include "Floor.h"

#include "Tasks.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace compare {

TextJob::~TextJob() { std::free(m_text); }

void TextJob::Reset()
{
    std::free(m_text);
    m_text = nullptr;
}

std::uint64_t TextJob::Digest() { return m_digest ? Mix(Mix(0, m_bytes), m_lineEnds) : 0; }

void TextJob::Loaded(char* text, std::uint64_t bytes)
{
    m_text = text;
    m_bytes = bytes;
    m_lineEnds = 0;
    const char* end = text + bytes;
    for (const char* p = text;
         p && (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr; ++p)
        ++m_lineEnds;
}

namespace {

class ReadFloor : public TextJob {
public:
    using TextJob::TextJob;

    void Run() override
    {
        const int fd = ::open(Path().c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) throw std::runtime_error("cannot open " + Path());
        const auto size = static_cast<std::size_t>(info.st_size);
        auto* text = static_cast<char*>(std::malloc(size + 1));
        if (!text) throw std::bad_alloc();
        std::size_t done = 0;
        ssize_t n;
        while (done < size && (n = ::read(fd, text + done, size - done)) > 0) done += static_cast<std::size_t>(n);
        ::close(fd);
        text[done] = '\0';
        Loaded(text, done);
    }
};

bool RegisterFloor(const char* task, bool digest)
{
    return Register({task, system::kFloor, Role::Floor,
                     [digest](const Input& input) { return std::make_unique<ReadFloor>(input, digest); }});
}

[[maybe_unused]] const bool kRegistered[] = {
    RegisterFloor(task::kIniOpen, false),   RegisterFloor(task::kIniOpenCrLf, false),
    RegisterFloor(task::kLoadFile4K, true), RegisterFloor(task::kLoadFile64K, true),
    RegisterFloor(task::kLoadFile1M, true),
};

}  // namespace
}  // namespace compare
