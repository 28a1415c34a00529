// The part of crash-safe saves that is the same everywhere: the name of the
// new file written beside the target.
#include "platform/SafeFile.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace filekit {

namespace {

// Random characters that make the new file's name unique.
constexpr size_t kUniqueCharacters = 6;
// The longest name a folder entry may have on the usual file systems.
constexpr size_t kMaxEntryNameBytes = 255;

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

std::string SafeFile::TemporaryName(const std::string& target)
{
    // Lower case only: Windows folders ignore case.
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const size_t separator = target.find_last_of(kSeparators);
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const size_t kept = kMaxEntryNameBytes - 2 - kUniqueCharacters;
    std::string name = target.substr(0, nameStart) + "." + target.substr(nameStart, kept) + ".";
    std::uint64_t seed = NextNameSeed();
    for (size_t i = 0; i < kUniqueCharacters; ++i) {
        name += kAlphabet[seed % (sizeof kAlphabet - 1)];
        seed /= sizeof kAlphabet - 1;
    }
    return name;
}

}  // namespace filekit
