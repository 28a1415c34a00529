// SPDX-License-Identifier: MIT
// The part of crash-safe saves that is the same everywhere: the name of the
// new file written beside the target, and how a save's failure is kept and
// reported.
#include "platform/SafeFile.h"

#include <filekit/Win32.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace filekit {

namespace {

// Random characters that make the new file's name unique.
constexpr size_t kUniqueCharacters = 6;
// The longest name a folder entry may have on the usual file systems.
constexpr size_t kMaxEntryNameBytes = 255;
// The bytes of the target's name that a new file's name keeps.
constexpr size_t kKeptNameBytes = kMaxEntryNameBytes - 2 - kUniqueCharacters;
// The unique characters, lower case only: Windows folders ignore case.
constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
#else
constexpr const char* kSeparators = "/";
#endif

// A fresh pseudo-random value per call: the names need no quality, and the
// exclusive create that uses them settles any clash.
std::uint64_t NextNameSeed()
{
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x = counter.fetch_add(1) * 0x9E3779B97F4A7C15u +
                      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;  // splitmix64 finaliser
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

}  // namespace

size_t SafeFile::NameStart(const std::string& target)
{
    const size_t separator = target.find_last_of(kSeparators);
    return separator == std::string::npos ? 0 : separator + 1;
}

std::string SafeFile::TemporaryName(const std::string& target)
{
    const size_t nameStart = NameStart(target);
    std::string name = target.substr(0, nameStart) + "." + target.substr(nameStart, kKeptNameBytes) + ".";
    std::uint64_t seed = NextNameSeed();
    for (size_t i = 0; i < kUniqueCharacters; ++i) {
        name += kAlphabet[seed % (sizeof kAlphabet - 1)];
        seed /= sizeof kAlphabet - 1;
    }
    return name;
}

bool SafeFile::IsTemporaryOf(const std::string& target, const std::string& entry)
{
    const size_t nameStart = NameStart(target);
    const std::string prefix = "." + target.substr(nameStart, kKeptNameBytes) + ".";
    return entry.size() == prefix.size() + kUniqueCharacters && entry.compare(0, prefix.size(), prefix) == 0 &&
           entry.find_first_not_of(kAlphabet, prefix.size()) == std::string::npos;
}

void SafeFile::Fail(std::uint32_t error)
{
    if (!m_failed) m_error = error;
    m_failed = true;
}

bool SafeFile::Finish(bool ok) const
{
    SetLastError(ok ? NO_ERROR : m_error);
    return ok;
}

}  // namespace filekit
