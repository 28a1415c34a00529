// SPDX-License-Identifier: MIT
// Example: CBinaryFile, as an application keeps a file of fixed-size
// records.
//
// Writes three records, reads the second one back by position, cuts the
// file after it, and shows that a copy of the object writes to the same
// open file through a handle of its own.
#include <filekit/BinaryFile.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr DWORD kRecordBytes = 16;  // one record: a name padded with zeros

struct Record {
    char name[kRecordBytes];
};

Record MakeRecord(const char* name)
{
    Record r{};
    std::strncpy(r.name, name, kRecordBytes - 1);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "records.bin").string();

    CBinaryFile file;
    if (!file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL)) {
        std::printf("cannot create %s (error %u)\n", path.c_str(), static_cast<unsigned>(GetLastError()));
        return 1;
    }
    for (const char* name : {"alpha", "beta", "gamma"}) {
        const Record r = MakeRecord(name);
        DWORD written = 0;
        file.WriteFile(&r, kRecordBytes, &written);
    }
    DWORD high = 0;
    std::printf("wrote 3 records: %u bytes\n", static_cast<unsigned>(file.GetFileSize(&high)));

    file.SetFilePointer(static_cast<LONG>(kRecordBytes), nullptr, FILE_BEGIN);
    Record second{};
    DWORD read = 0;
    file.ReadFile(&second, kRecordBytes, &read);
    std::printf("record 2 (%u bytes read): %s\n", static_cast<unsigned>(read), second.name);

    file.SetEndOfFile();
    std::printf("cut after record 2: %u bytes\n", static_cast<unsigned>(file.GetFileSize(&high)));

    {
        CBinaryFile copy(file);
        const Record r = MakeRecord("delta");
        DWORD written = 0;
        copy.WriteFile(&r, kRecordBytes, &written);
        std::printf("the copy is %s and appended a record: %u bytes\n", copy.IsOpen() ? "open" : "closed",
                    static_cast<unsigned>(file.GetFileSize(&high)));
    }
    std::printf("after the copy is gone the file is still %s; writing text: %s\n", file.IsOpen() ? "open" : "closed",
                file.WriteFile(CString("end\n")) ? "ok" : "failed");
    file.FlushFileBuffers();
    const int closed = file.Close();
    std::printf("close: %d, close again: %d\n", closed, file.Close());
    return 0;
}
