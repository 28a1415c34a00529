// SPDX-License-Identifier: MIT
// The INI writer: Save rewrites the whole file from the model, leaving out
// deleted sections and keys. Every byte goes through the text-mode writer,
// with the line end and byte order mark of the file the model was read
// from; the writer sets the thread's last error as the save ends.
#include <filekit/INIFile.h>

#include "ini/TextRoutines.h"
#include "platform/TextStream.h"

#include <cstring>
#include <utility>

using namespace filekit::ini;

namespace {

// A comment as it is written: cut to kMaxWrittenCommentBytes (and at a zero
// byte), each line-break pair turned into a space and a line end.
class WrittenComment {
public:
    explicit WrittenComment(const CString& comment)
        : m_length(strnlen(static_cast<const char*>(comment), kMaxWrittenCommentBytes))
    {
        std::memcpy(m_text, static_cast<const char*>(comment), m_length);
        m_text[m_length] = '\0';
        const bool turned = RestoreLineBreaks(m_text, m_length);
        m_differs = turned || m_length != static_cast<size_t>(comment.GetLength());
    }

    void WriteTo(filekit::TextWriter& out) const
    {
        out.Write(m_text, m_length);
        out.Write("\n", 1);
    }

    bool Differs() const { return m_differs; }  // from the comment it was made from
    CString Text() const { return CString(m_text, static_cast<int>(m_length)); }

private:
    char m_text[kMaxWrittenCommentBytes + 1];
    size_t m_length;
    bool m_differs;
};

void WriteKey(filekit::TextWriter& out, const CINIFile::CINIFileKey& key)
{
    if (!key.m_strComment.IsEmpty()) WrittenComment(key.m_strComment).WriteTo(out);
    out.Write(key.m_strName);
    if (!key.m_strValue.IsEmpty()) {
        out.Write("=", 1);
        out.Write(key.m_strValue);
    }
    out.Write("\n", 1);
}

}  // namespace

int CINIFile::Save(const CString& path) { return m_bOpen ? SaveFile(path) : 0; }

int CINIFile::SaveFile(const CString& path)
{
    filekit::TextWriter out;
    const filekit::LineEnd lineEnd = m_nLineEnd == kLineEndCrLf ? filekit::LineEnd::CrLf
                                     : m_nLineEnd == kLineEndLf ? filekit::LineEnd::Lf
                                                                : filekit::LineEnd::Platform;
    if (!out.Open(path, lineEnd)) return 0;
    if (m_bByteOrderMark) out.Write(filekit::kByteOrderMark, filekit::kByteOrderMarkBytes);
    for (int i = 0; i < m_arrSections.GetSize(); ++i) {
        CINIFileSection& section = *GetSection(i);
        if (section.m_nState == STATE_DELETED) continue;
        if (!section.m_strComment.IsEmpty()) {
            // The section keeps its comment as written, line ends in place.
            const WrittenComment comment(section.m_strComment);
            comment.WriteTo(out);
            if (comment.Differs()) section.m_strComment = comment.Text();
        }
        out.Write("[", 1);
        out.Write(section.m_strName);
        out.Write("]\n", 2);
        const int count = filekit::ArraySize(section.m_arrKeys);
        const CINIFileKey* keys = std::as_const(section.m_arrKeys).GetData();
        for (int k = 0; k < count; ++k)
            if (keys[k].m_nState != STATE_DELETED) WriteKey(out, keys[k]);
        out.Write("\n", 1);
    }
    // Once the file exists the save counts as done, as with buffered
    // streams. Whether the text reached the disk is told by the last error
    // that Close leaves: NO_ERROR, or the failure, with the old file kept.
    out.Close();
    return 1;
}
