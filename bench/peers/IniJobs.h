// SPDX-License-Identifier: MIT
// The INI tasks, written once for every system. Each system supplies an
// adapter with the calls an application makes; a task uses only the calls
// it needs, so a library that cannot save still runs the open and lookup
// tasks.
//
//   struct Adapter {
//       static constexpr const char* kSystem;          // names the file the save tasks write
//       using Name = ...;                               // a key as the library is called with it
//       Name Prepare(const KeyRef& key);                // what application code would hold (a literal)
//       void Load(const std::string& path);             // the whole file, comments kept where possible
//       void Save(const std::string& path);
//       void Update(const Name& key, const std::string& value);   // keeps the key's comment
//       void Add(const std::string& section, const std::string& key, const std::string& value);
//       const char* Lookup(const Name& key);            // the value, null when missing
//       std::uint64_t Digest();                         // IniDigest of the model
//   };
//
// Adapters throw std::runtime_error when the library reports a failure.
#ifndef FILEKIT_BENCH_PEERS_INIJOBS_H
#define FILEKIT_BENCH_PEERS_INIJOBS_H

#include "IniText.h"
#include "Job.h"
#include "Tasks.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace compare {

// Where a system's save tasks write.
inline std::string SavePath(const Input& input, const char* system)
{
    std::string name = system;
    for (char& c : name)
        if (c == ' ' || c == '(' || c == ')' || c == '.') c = '_';
    return input.scratch + "/" + name + ".ini";
}

// The file into a new model; the model is released after the run.
template <class Adapter>
class IniOpenJob : public Job {
public:
    explicit IniOpenJob(const Input& input) : m_path(input.path) {}
    void Run() override { m_model.emplace().Load(m_path); }
    void Reset() override { m_model.reset(); }
    std::uint64_t Digest() override { return m_model->Digest(); }

private:
    std::string m_path;
    std::optional<Adapter> m_model;
};

// A loaded model written to a file.
template <class Adapter>
class IniSaveJob : public Job {
public:
    explicit IniSaveJob(const Input& input) : m_input(input), m_out(SavePath(input, Adapter::kSystem)) {}
    void Setup() override { m_model.Load(m_input.path); }
    void Run() override { m_model.Save(m_out); }

private:
    Input m_input;
    std::string m_out;
    Adapter m_model;
};

// kUpdatedValues values changed and kAddedKeys keys added on a loaded model,
// then the model written; every run edits with new values and key names.
template <class Adapter>
class IniEditSaveJob : public Job {
public:
    explicit IniEditSaveJob(const Input& input) : m_input(input), m_out(SavePath(input, Adapter::kSystem)) {}
    void Setup() override
    {
        m_model.Load(m_input.path);
        for (const KeyRef& key : SpreadKeys(m_input, kUpdatedValues)) m_updates.push_back(m_model.Prepare(key));
        m_sections = SpreadSections(m_input, kAddedKeys);
    }
    void Run() override
    {
        for (int i = 0; i < kUpdatedValues; ++i)
            m_model.Update(m_updates[static_cast<std::size_t>(i)], EditedValue(m_run, i));
        for (int i = 0; i < kAddedKeys; ++i)
            m_model.Add(m_sections[static_cast<std::size_t>(i)], AddedKey(m_run, i), EditedValue(m_run, i));
        m_model.Save(m_out);
        ++m_run;
    }

private:
    Input m_input;
    std::string m_out;
    Adapter m_model;
    std::vector<typename Adapter::Name> m_updates;
    std::vector<std::string> m_sections;
    int m_run = 0;
};

// Every key of the typical file looked up kLookupPasses times, in a shuffled
// order.
template <class Adapter>
class IniLookupJob : public Job {
public:
    explicit IniLookupJob(const Input& input) : m_input(input) {}
    void Setup() override
    {
        m_model.Load(m_input.path);
        for (const KeyRef& key : ShuffledKeys(m_input)) m_keys.push_back(m_model.Prepare(key));
    }
    void Run() override
    {
        for (int pass = 0; pass < kLookupPasses; ++pass)
            for (const auto& key : m_keys) {
                const char* value = m_model.Lookup(key);
                m_sink += value ? static_cast<unsigned char>(value[0]) + 1u : 0u;
            }
    }
    // Found keys and their value bytes, from one more untimed pass.
    std::uint64_t Digest() override
    {
        std::uint64_t found = 0;
        std::uint64_t bytes = 0;
        for (const auto& key : m_keys)
            if (const char* value = m_model.Lookup(key)) {
                ++found;
                bytes += std::strlen(value);
            }
        return Mix(Mix(0, found), bytes);
    }

private:
    Input m_input;
    Adapter m_model;
    std::vector<typename Adapter::Name> m_keys;
    unsigned m_sink = 0;  // keeps the lookups' results in use
};

}  // namespace compare

#endif
