// SPDX-License-Identifier: MIT
// The XML tasks, written once for every system: open a document, walk all
// of it, save it. Each system supplies an adapter:
//
//   struct Adapter {
//       static constexpr const char* kSystem;
//       void Load(const std::string& path);    // throws std::runtime_error on failure
//       void Save(const std::string& path);
//       WalkTotals Walk();                      // every element, attribute and text
//   };
#ifndef FILEKIT_BENCH_PEERS_XMLJOBS_H
#define FILEKIT_BENCH_PEERS_XMLJOBS_H

#include "Job.h"
#include "Tasks.h"

#include <cstdint>
#include <optional>
#include <string>

namespace compare {

// What a walk met: elements, attributes, and the bytes of element names,
// attribute values and element texts.
struct WalkTotals {
    std::uint64_t elements = 0;
    std::uint64_t attributes = 0;
    std::uint64_t bytes = 0;
};

inline std::uint64_t WalkDigest(const WalkTotals& totals)
{
    return Mix(Mix(Mix(0, totals.elements), totals.attributes), totals.bytes);
}

inline std::string XmlSavePath(const Input& input, const char* system) { return input.scratch + "/" + system + ".xml"; }

template <class Adapter>
class XmlOpenJob : public Job {
public:
    explicit XmlOpenJob(const Input& input) : m_path(input.path) {}
    void Run() override { m_document.emplace().Load(m_path); }
    void Reset() override { m_document.reset(); }
    std::uint64_t Digest() override { return WalkDigest(m_document->Walk()); }

private:
    std::string m_path;
    std::optional<Adapter> m_document;
};

template <class Adapter>
class XmlWalkJob : public Job {
public:
    explicit XmlWalkJob(const Input& input) : m_path(input.path) {}
    void Setup() override { m_document.Load(m_path); }
    void Run() override { m_totals = m_document.Walk(); }
    std::uint64_t Digest() override { return WalkDigest(m_totals); }

private:
    std::string m_path;
    Adapter m_document;
    WalkTotals m_totals;
};

template <class Adapter>
class XmlSaveJob : public Job {
public:
    explicit XmlSaveJob(const Input& input) : m_path(input.path), m_out(XmlSavePath(input, Adapter::kSystem)) {}
    void Setup() override { m_document.Load(m_path); }
    void Run() override { m_document.Save(m_out); }

private:
    std::string m_path;
    std::string m_out;
    Adapter m_document;
};

// Registers the three XML tasks of one system.
template <class Adapter>
bool RegisterXml(Role role)
{
    RegisterJob<XmlOpenJob<Adapter>>(task::kXmlOpen, Adapter::kSystem, role);
    RegisterJob<XmlWalkJob<Adapter>>(task::kXmlWalk, Adapter::kSystem, role);
    return RegisterJob<XmlSaveJob<Adapter>>(task::kXmlSave, Adapter::kSystem, role);
}

}  // namespace compare

#endif
