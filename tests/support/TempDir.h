// SPDX-License-Identifier: MIT
// Test support: a fresh folder per test, whole-file read and write, and the
// bytes a text-mode stream stores on this platform.
#ifndef FILEKIT_TESTS_SUPPORT_TEMPDIR_H
#define FILEKIT_TESTS_SUPPORT_TEMPDIR_H

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace filekit_test {

// A folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    // A random name, retried while taken: create_directory refuses an
    // existing folder, so two tests never share one.
    TempDir()
    {
        std::mt19937_64 random(std::random_device{}());
        do m_root = std::filesystem::temp_directory_path() / ("filekit-" + std::to_string(random()));
        while (!std::filesystem::create_directory(m_root));
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The full path of name inside the folder.
    std::string Path(const std::string& name) const { return (m_root / name).string(); }
    const std::filesystem::path& Root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

// Writes bytes to path, replacing it (binary: no line-end translation).
inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The whole content of path as bytes; "" when it cannot be read.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// text with every LF replaced by lineEnd.
inline std::string WithLineEnds(const std::string& text, const std::string& lineEnd)
{
    std::string out;
    for (const char c : text) out += c == '\n' ? lineEnd : std::string(1, c);
    return out;
}

// text with every LF replaced by the platform's line end: the bytes that
// writing text to a text-mode stream leaves in the file. UTF-16 text, told
// by its byte-order mark, has its line ends as two-byte code units.
inline std::string StoredText(const std::string& text)
{
#ifdef _WIN32
    const bool little = text.rfind("\xFF\xFE", 0) == 0, big = text.rfind("\xFE\xFF", 0) == 0;
    if (!little && !big) return WithLineEnds(text, "\r\n");
    const std::string lf = little ? std::string("\n\0", 2) : std::string("\0\n", 2);
    const std::string cr = little ? std::string("\r\0", 2) : std::string("\0\r", 2);
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string unit = text.substr(i, 2);
        if (unit == lf) out += cr;
        out += unit;
    }
    return out;
#else
    return text;
#endif
}

}  // namespace filekit_test

#endif
