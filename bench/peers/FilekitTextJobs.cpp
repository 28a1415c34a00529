// CTextFile::LoadFile in the load tasks: open, load the whole file in
// chunks of the task's size, count its line ends as the floor does.
#include "Floor.h"
#include "Job.h"
#include "Tasks.h"

#include <filekit/TextFile.h>

#include <cstdlib>
#include <stdexcept>

namespace compare {
namespace {

class LoadFileJob : public Job {
public:
    LoadFileJob(const Input& input, DWORD chunk) : m_path(input.path), m_chunk(chunk) {}
    ~LoadFileJob() override { std::free(m_text); }

    void Run() override
    {
        CTextFile file;
        DWORD size = 0;
        if (!file.Open(m_path.c_str(), 0) || !file.LoadFile(&m_text, &size, m_chunk)) throw std::runtime_error("CTextFile::LoadFile failed");
        file.Close();
        m_bytes = size;
        m_lineEnds = m_text ? CountLineEnds(m_text, size) : 0;
    }
    void Reset() override
    {
        std::free(m_text);
        m_text = nullptr;
    }
    std::uint64_t Digest() override { return TextDigest(m_bytes, m_lineEnds); }

private:
    std::string m_path;
    DWORD m_chunk;
    char* m_text = nullptr;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_lineEnds = 0;
};

constexpr DWORD kKilobyte = 1024;

bool RegisterLoadFile(const char* task, DWORD chunk)
{
    return Register({task, system::kFilekit, Role::Filekit, [chunk](const Input& input) { return std::make_unique<LoadFileJob>(input, chunk); }});
}

[[maybe_unused]] const bool kRegistered[] = {
    RegisterLoadFile(task::kLoadFile4K, 4 * kKilobyte),
    RegisterLoadFile(task::kLoadFile64K, 64 * kKilobyte),
    RegisterLoadFile(task::kLoadFile1M, 1024 * kKilobyte),
};

}  // namespace
}  // namespace compare
