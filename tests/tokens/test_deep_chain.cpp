// A chain of a million nested nodes is built, saved and destroyed with a
// flat stack, and the walk makes exactly the calls of one descent per level.
#include <filekit/TokenWriter.h>

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kChainLength = 1000000;

// Records each call as one letter: D/d document, N/n node, A/E attributes,
// C/c children, +/- Push and Pop; a node met at a depth other than its type
// adds '!'. It counts the depth itself (through the virtual Push, Pop and
// GetDepth) because the library's depth string, resized by realloc at every
// level, is copied whole by each realloc under AddressSanitizer: a million
// levels would take hours there.
class LetterTokenizer : public CTokenizer {
public:
    LetterTokenizer() : CTokenizer('\0') {}
    std::string letters;

    int BeginDocument(std::ostream&, void*&) override { return Note('D'); }
    int BeginNode(CTokenNode* node, std::ostream&, void*&) override { return Note('N', node); }
    int BeginAttributes(CTokenNode*, std::ostream&, void*&) override { return Note('A'); }
    int WriteAttribute(CTokenNode*, CTokenAttribute*, std::ostream&, void*&) override { return Note('W'); }
    int EndAttributes(CTokenNode*, std::ostream&, void*&) override { return Note('E'); }
    int BeginChildren(CTokenNode*, std::ostream&, void*&) override { return Note('C'); }
    int EndChildren(CTokenNode*, std::ostream&, void*&) override { return Note('c'); }
    int EndNode(CTokenNode* node, std::ostream&, void*&) override { return Note('n', node); }
    int EndDocument(std::ostream&, void*&) override { return Note('d'); }
    void Push() override { ++m_depth; letters += '+'; }
    void Pop() override { if (m_depth > 0) --m_depth; letters += '-'; }
    int GetDepth() override { return m_depth; }

private:
    int Note(char letter, CTokenNode* node = nullptr)
    {
        letters += letter;
        if (node && node->GetType() != m_depth) letters += '!';
        return 0;
    }

    int m_depth = 0;
};

TEST(DeepChain, MillionLevelsSaveAndDestroy)
{
    std::string expected = "D+";
    for (int level = 1; level <= kChainLength; ++level) expected += level < kChainLength ? "NAEC+" : "NAE";
    for (int level = kChainLength; level >= 1; --level) expected += level < kChainLength ? "-cn" : "n";
    expected += "-d";

    filekit_test::TempDir dir;
    LetterTokenizer t;
    {
        CTokenWriter writer;
        CTokenNode* node = writer.GetDocument();
        for (int level = 1; level <= kChainLength; ++level) node = node->AddChild("n", "", level, 0);
        ASSERT_EQ(writer.Open(dir.Path("chain.txt").c_str(), &t, nullptr), 1);
        EXPECT_EQ(writer.Save(), 1);
    }   // the writer, still open, closes and deletes the chain
    // Compared whole, but reported by the first difference: not megabytes.
    const size_t differ = static_cast<size_t>(std::mismatch(expected.begin(), expected.end(), t.letters.begin(),
                                                            t.letters.end()).first - expected.begin());
    EXPECT_TRUE(t.letters == expected) << "first difference at " << differ << ": " << t.letters.substr(differ, 20);
    EXPECT_EQ(t.GetDepth(), 0);
}

}  // namespace
