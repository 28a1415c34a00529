// SPDX-License-Identifier: MIT
// Example: the Win32 file functions, as an application calls them.
//
// Creates a file, writes and reads it back, and shows that a file opened
// with share mode 0 cannot be opened a second time until it is closed.
#include <filekit/Win32.h>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "hello.txt").string();

    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot create %s (error %u)\n", path.c_str(), static_cast<unsigned>(GetLastError()));
        return 1;
    }
    const char text[] = "Hello from filekit.\r\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    std::printf("wrote %u bytes to %s\n", static_cast<unsigned>(written), path.c_str());

    // A second open while the first handle shares nothing is refused.
    HANDLE second = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::printf("second open while held: %s (error %u, sharing violation is %u)\n",
                second == INVALID_HANDLE_VALUE ? "refused" : "opened", static_cast<unsigned>(GetLastError()),
                static_cast<unsigned>(ERROR_SHARING_VIOLATION));

    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[64] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    std::printf("read back %u bytes: %s", static_cast<unsigned>(read), buffer);
    DWORD high = 0;
    std::printf("size: %u bytes\n", static_cast<unsigned>(GetFileSize(file, &high)));
    CloseHandle(file);

    second = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::printf("open after close: %s\n", second == INVALID_HANDLE_VALUE ? "refused" : "opened");
    CloseHandle(second);
    return 0;
}
