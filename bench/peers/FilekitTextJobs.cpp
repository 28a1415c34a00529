// SPDX-License-Identifier: MIT
// CTextFile::LoadFile in the load tasks: open, load the whole file in
// chunks of the task's size, count its line ends as the floor does.
#include "Floor.h"
#include "Tasks.h"

#include <filekit/TextFile.h>

#include <stdexcept>

namespace compare {
namespace {

class LoadFileJob : public TextJob {
public:
    LoadFileJob(const Input& input, DWORD chunk) : TextJob(input, true), m_chunk(chunk) {}

    void Run() override
    {
        CTextFile file;
        char* text = nullptr;
        DWORD size = 0;
        if (!file.Open(Path().c_str(), 0) || !file.LoadFile(&text, &size, m_chunk))
            throw std::runtime_error("CTextFile::LoadFile failed");
        file.Close();
        Loaded(text, size);
    }

private:
    DWORD m_chunk;
};

constexpr DWORD kKilobyte = 1024;

bool RegisterLoadFile(const char* task, DWORD chunk)
{
    return Register({task, system::kFilekit, Role::Filekit,
                     [chunk](const Input& input) { return std::make_unique<LoadFileJob>(input, chunk); }});
}

[[maybe_unused]] const bool kRegistered[] = {
    RegisterLoadFile(task::kLoadFile4K, 4 * kKilobyte),
    RegisterLoadFile(task::kLoadFile64K, 64 * kKilobyte),
    RegisterLoadFile(task::kLoadFile1M, 1024 * kKilobyte),
};

}  // namespace
}  // namespace compare
