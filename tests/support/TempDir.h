// Test support: a fresh folder per test, whole-file read and write, the
// bytes a text-mode stream stores on this platform, and call results joined
// into one line.
#ifndef FILEKIT_TESTS_SUPPORT_TEMPDIR_H
#define FILEKIT_TESTS_SUPPORT_TEMPDIR_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <utility>

namespace filekit_test {

// A folder's path as filekit's functions take it: c_str() gives bytes
// (const char*) on every platform, where std::filesystem::path gives wide
// characters on Windows. It converts to a std::filesystem::path for the
// standard library.
class FolderPath {
public:
    explicit FolderPath(std::filesystem::path path) : m_path(std::move(path)), m_bytes(m_path.string()) {}

    const char* c_str() const { return m_bytes.c_str(); }
    const std::string& string() const { return m_bytes; }
    operator const std::filesystem::path&() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::string m_bytes;
};

// A folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    // A random name, retried while taken: create_directory refuses an
    // existing folder, so two tests never share one.
    TempDir()
    {
        constexpr int kAttempts = 100;
        std::random_device seed;
        std::mt19937_64 random(seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int i = 0; i < kAttempts; ++i) {
            std::filesystem::path candidate = base / ("filekit-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                m_path = FolderPath(std::move(candidate));
                return;
            }
        }
        std::abort();
    }
    ~TempDir()
    {
        const std::filesystem::path& root = m_path;
        std::error_code ignored;
        std::filesystem::permissions(root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(root, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The full path of name inside the folder.
    std::string Path(const std::string& name) const
    {
        return (static_cast<const std::filesystem::path&>(m_path) / name).string();
    }
    const FolderPath& Root() const { return m_path; }

private:
    FolderPath m_path{std::filesystem::path()};
};

// Writes bytes to path, replacing it (binary: no line-end translation).
inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The whole content of path as bytes; "" when it cannot be read.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The platform's line end, as a text-mode stream stores "\n".
#ifdef _WIN32
inline constexpr const char* kLineEnd = "\r\n";
#else
inline constexpr const char* kLineEnd = "\n";
#endif

// text with every LF replaced by the platform's line end: the bytes that
// writing text to a text-mode stream leaves in the file.
inline std::string StoredText(const std::string& text)
{
    std::string stored;
    for (const char c : text) {
        if (c == '\n')
            stored += kLineEnd;
        else
            stored += c;
    }
    return stored;
}

// The results of a sequence of calls, in order, separated by spaces.
inline std::string Results(std::initializer_list<long long> results)
{
    std::string joined;
    for (long long result : results) joined += (joined.empty() ? "" : " ") + std::to_string(result);
    return joined;
}

}  // namespace filekit_test

#endif
