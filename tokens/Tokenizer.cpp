// SPDX-License-Identifier: MIT
// CTokenizer: the nesting depth and its indentation string.
//
// The depth string is a heap block of depth + 1 bytes (larger only after a
// shrink that failed), resized on every level change; the block comes from
// g_heap so that tests can make an allocation fail.
#include <filekit/TokenWriter.h>

#include "platform/Heap.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

// A new block holding the depth + 1 bytes of text (depth characters and
// the terminating zero); throws std::bad_alloc when there is no memory.
char* CopyDepthString(const char* text, int depth)
{
    const size_t bytes = static_cast<size_t>(depth) + 1;
    auto* block = static_cast<char*>(filekit::g_heap.allocate(bytes));
    if (!block) throw std::bad_alloc();
    std::memcpy(block, text, bytes);
    return block;
}

}  // namespace

CTokenizer::CTokenizer(char indent) : m_cIndent(indent), m_pszDepth(CopyDepthString("", 0)), m_nDepth(0) {}

CTokenizer::CTokenizer(const CTokenizer& other)
    : m_cIndent(other.m_cIndent), m_pszDepth(CopyDepthString(other.m_pszDepth, other.m_nDepth)),
      m_nDepth(other.m_nDepth)
{
}

CTokenizer& CTokenizer::operator=(const CTokenizer& other)
{
    if (this != &other) {
        char* copy = CopyDepthString(other.m_pszDepth, other.m_nDepth);
        filekit::g_heap.release(m_pszDepth);
        m_pszDepth = copy;
        m_cIndent = other.m_cIndent;
        m_nDepth = other.m_nDepth;
    }
    return *this;
}

CTokenizer::~CTokenizer() { filekit::g_heap.release(m_pszDepth); }

void CTokenizer::Push()
{
    if (m_cIndent == 0) return;
    // The depth is an int: a level past INT_MAX cannot be counted, so it
    // fails as a string that long would.
    if (m_nDepth == INT_MAX) throw std::bad_alloc();
    auto* grown = static_cast<char*>(filekit::g_heap.reallocate(m_pszDepth, static_cast<size_t>(m_nDepth) + 2));
    if (!grown) throw std::bad_alloc();
    m_pszDepth = grown;
    m_pszDepth[m_nDepth] = m_cIndent;
    ++m_nDepth;
    m_pszDepth[m_nDepth] = '\0';
}

void CTokenizer::Pop()
{
    if (m_cIndent == 0 || m_nDepth == 0) return;
    --m_nDepth;
    // A failed shrink leaves the old block in place, which still has room.
    if (auto* shrunk = static_cast<char*>(filekit::g_heap.reallocate(m_pszDepth, static_cast<size_t>(m_nDepth) + 1)))
        m_pszDepth = shrunk;
    m_pszDepth[m_nDepth] = '\0';
}

const char* CTokenizer::GetDepthString() { return m_cIndent == 0 ? "" : m_pszDepth; }

int CTokenizer::GetDepth() { return m_nDepth; }
