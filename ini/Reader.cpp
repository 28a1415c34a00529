// SPDX-License-Identifier: MIT
// The INI reader and the open state: Open, Close and the two passes of
// ReadFile. A section pass creates one section per header with the comment
// lines above it; a key pass reads the file again and appends each key line,
// with its comment, to the section of the header above it. Both passes read
// through one open file, rewound between them, so a file replaced meanwhile
// is read whole in its old version. The reader also notes the file's byte
// order mark and first line end, which the writer gives back. Lines are
// worked on in place in the text reader's buffer; nothing is allocated per
// line but the model's own records and strings, and neither pass holds the
// file in memory.
#include <filekit/INIFile.h>

#include "ini/TextRoutines.h"
#include "platform/TextStream.h"

#include <memory>
#include <vector>

using namespace filekit::ini;

namespace {

using Section = CINIFile::CINIFileSection;
using Key = CINIFile::CINIFileKey;

// The line pieces of one file, as fgets hands them out: at most
// kMaxLineBytes bytes each, ending after a line feed. A piece is seen up to
// its first zero byte, as every zero-terminated routine sees it; the reader
// hands it out in place, unterminated.
class LineSource {
public:
    bool Open(const CString& path) { return m_reader.Open(path); }
    bool Rewind() { return m_reader.Rewind(); }
    const filekit::TextReader& Reader() const { return m_reader; }

    bool Next()
    {
        size_t stored = 0;
        m_line = m_reader.NextPiece(kMaxLineBytes, &stored, &m_length);
        return m_line != nullptr;
    }

    void Trim() { m_length = TrimmedLength(m_line, m_length); }
    char* Text() { return m_line; }
    size_t Length() const { return m_length; }
    // The first byte; a zero byte when the piece is seen as empty.
    char Lead() const { return m_length > 0 ? m_line[0] : '\0'; }
    bool IsHeader() { return BracketContents(m_line, m_length, kHeaderOpen, kHeaderClose, m_name) > 0; }
    const char* Name() const { return m_name; }  // the last header's name

private:
    filekit::TextReader m_reader;
    char* m_line = nullptr;
    size_t m_length = 0;
    char m_name[CINIFile::kNameBufferBytes];
};

// Appends a section for the header just read by in.
void AppendSection(CObArray& sections, const LineSource& in, const CommentGatherer& comment)
{
    auto section = std::make_unique<Section>();
    section->m_nState = CINIFile::STATE_LOADED;
    section->m_strName = in.Name();
    section->m_strComment = comment.Stored();
    sections.Add(section.get());
    static_cast<void>(section.release());  // the array owns it now
}

// Reads the headers of the file into new sections at the end of sections.
// Each section's key array is sized for the key lines counted under it, once
// the pass is over: allocated between the sections, the arrays would spread
// them over the whole model, and every lookup by name walks the sections.
void ReadSections(LineSource& in, CObArray& sections)
{
    const int first = filekit::ArraySize(sections);
    std::vector<int> keyLines(1);  // per new section; above the first header they count for it
    CommentGatherer pending;
    while (in.Next()) {
        in.Trim();
        if (in.Lead() == kCommentStart) {
            pending.Append(in.Text(), in.Length());
        } else if (in.Length() == 0) {
            continue;  // blank and empty lines neither add to nor end a comment
        } else if (!in.IsHeader()) {
            pending.Clear();
            ++keyLines.back();
        } else {
            if (sections.GetSize() > first) keyLines.push_back(0);
            AppendSection(sections, in, pending);
            pending.Clear();
        }
    }
    for (int i = first; i < sections.GetSize(); ++i)
        static_cast<Section*>(sections.GetAt(i))->m_arrKeys.SetSize(0, keyLines[static_cast<size_t>(i - first)]);
}

// Appends the key line just read by in to section.
void AppendKey(Section& section, LineSource& in, const CommentGatherer& comment)
{
    TokenSpan name;
    TokenSpan value;
    char* const end = in.Text() + in.Length();
    FindToken(in.Text(), in.Length(), kKeyDelimiter, 1, &name);
    if (name.next) FindToken(name.next, static_cast<size_t>(end - name.next), kValueDelimiter, 1, &value);

    CArray<Key, Key>& keys = section.m_arrKeys;
    const int index = filekit::ArraySize(keys);
    keys.SetSize(index + 1);  // built in place: no copy of the key's strings
    Key& key = keys.ElementAt(index);
    key.m_nState = CINIFile::STATE_LOADED;
    if (!comment.IsEmpty()) key.m_strComment = comment.Stored();
    key.m_strName = CString(name.begin, static_cast<int>(CutToName(name)));
    key.m_strValue = CString(value.begin, static_cast<int>(CutToName(value)));
}

// Reads the key lines of the file into the sections from index first on:
// keys above the first header and under it go to the first of them, keys
// under the n-th header to the n-th. Keys under headers beyond the last
// section (the file grew since the section pass) are dropped.
void ReadKeys(LineSource& in, CObArray& sections, int first)
{
    CommentGatherer pending;
    int current = first;
    bool headerSeen = false;
    while (in.Next()) {
        const char lead = in.Lead();
        if (lead == kCommentStart) {
            in.Trim();
            pending.Append(in.Text(), in.Length());
            continue;
        }
        if (lead == '\n') {  // a blank line belongs to the comment of the next key
            pending.Append(in.Text(), 1);
            continue;
        }
        in.Trim();
        if (in.Length() == 0) continue;
        if (in.IsHeader()) {
            if (headerSeen) ++current;
            headerSeen = true;
        } else if (current < sections.GetSize()) {
            AppendKey(*static_cast<Section*>(sections.GetAt(current)), in, pending);
        }
        pending.Clear();
    }
}

}  // namespace

int CINIFile::Open(const CString& path)
{
    if (m_bOpen || !ReadFile(path)) return 0;
    m_strFile = path;
    m_bOpen = 1;
    return 1;
}

int CINIFile::Open()
{
    if (m_bOpen) return 0;
    m_bOpen = 1;
    return 1;
}

int CINIFile::Close()
{
    if (!m_bOpen) return 0;
    ClearMemory();
    m_bOpen = 0;
    m_bByteOrderMark = 0;
    m_nLineEnd = kLineEndPlatform;
    return 1;
}

int CINIFile::ReadFile(const CString& path)
{
    LineSource in;
    if (!in.Open(path)) return 0;
    const int first = filekit::ArraySize(m_arrSections);
    // A pass cut short by a read error would give a model without some of
    // the file's keys, which a later Save would then drop from the file: the
    // sections read are taken back and Open fails.
    const auto fail = [&] {
        for (int i = first; i < m_arrSections.GetSize(); ++i) delete m_arrSections.GetAt(i);
        m_arrSections.SetSize(first);
        return 0;
    };
    ReadSections(in, m_arrSections);
    if (in.Reader().Failed()) return fail();
    m_bByteOrderMark = in.Reader().HasByteOrderMark() ? 1 : 0;
    switch (in.Reader().FirstLineEnd()) {
    case filekit::LineEnd::Lf: m_nLineEnd = kLineEndLf; break;
    case filekit::LineEnd::CrLf: m_nLineEnd = kLineEndCrLf; break;
    case filekit::LineEnd::Platform: break;  // no line feed: the line end stays as it was
    }
    if (m_arrSections.GetSize() == first) return 1;  // no header: the key lines have nowhere to go
    if (!in.Rewind()) return fail();
    ReadKeys(in, m_arrSections, first);
    if (in.Reader().Failed()) return fail();
    ShowSetOfSections();
    return 1;
}

void CINIFile::ShowSetOfSections()
{
    // A copy of each key, taken and dropped, shows nothing and changes
    // nothing, so none is taken: reading the whole model back cost a sixth
    // of Open.
}
