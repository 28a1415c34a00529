// SPDX-License-Identifier: MIT
// Fuzz target: INI editing. The input decodes into a sequence of add,
// rename, update, delete, query, save, empty, close and open operations on
// a CINIFile; a plain mirror of the model applies the rules each operation
// documents, and after every operation the whole model must equal the
// mirror. So counts never shrink outside Empty and Close, lookups never
// reach a deleted item, and every index handed out names the item added.
#include <filekit/INIFile.h>

#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using filekit_fuzz::Bytes;
using filekit_fuzz::Input;
using filekit_fuzz::ScratchFolder;
using filekit_fuzz::ToCString;

namespace {

using Section = CINIFile::CINIFileSection;

struct MirrorKey {
    std::string name, value, comment;
    int state;
};

struct MirrorSection {
    std::string name, comment;
    int state;
    std::vector<MirrorKey> keys;
};

// Names match up to their first zero byte.
bool SameName(const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()) == 0; }

// The model as the editing rules say it must be.
struct Mirror {
    std::vector<MirrorSection> sections;
    bool open = false;

    // The first live section so named.
    MirrorSection* Live(const std::string& name)
    {
        for (MirrorSection& section : sections)
            if (section.state != CINIFile::STATE_DELETED && SameName(section.name, name)) return &section;
        return nullptr;
    }
    int LiveIndex(const std::string& name)
    {
        const MirrorSection* section = Live(name);
        return section ? static_cast<int>(section - sections.data()) : -1;
    }
};

// Index of the first key so named; deleted keys count when anyState is set.
int KeyIndex(const MirrorSection* section, const std::string& name, bool anyState)
{
    if (!section) return -1;
    for (size_t k = 0; k < section->keys.size(); ++k) {
        const MirrorKey& key = section->keys[k];
        if ((anyState || key.state != CINIFile::STATE_DELETED) && SameName(key.name, name)) return static_cast<int>(k);
    }
    return -1;
}

// An add operation stores a comment of exactly ";" as empty.
std::string AddedComment(const std::string& comment) { return comment == ";" ? std::string() : comment; }

// A section comment after a save: cut at its first zero byte and to the
// writer's limit, each line-break pair after the first byte turned into a
// space and a line feed.
std::string WrittenComment(const std::string& comment)
{
    std::string written =
        comment.substr(0, (std::min)(comment.find('\0'), static_cast<size_t>(CINIFile::kWriterCommentBufferBytes - 1)));
    for (size_t i = 1; i + 1 < written.size(); ++i)
        if (written.compare(i, 2, "\\n") == 0) written.replace(i++, 2, " \n");
    return written;
}

// Names and comments: mostly from small pools, so that operations meet the
// same items again; sometimes any bytes.
std::string Name(Input& input)
{
    static const std::string pool[] = {"a", "b", std::string("a\0z", 3), "", "[s]", ";", " a "};
    const int choice = input.Between(0, 7);
    return choice < 7 ? pool[choice] : input.Text(CINIFile::kNameBufferBytes + 100);
}

std::string Comment(Input& input)
{
    static const std::string pool[] = {"", ";", "; c", "; a\\n; b", "\\n;x\\n"};
    const int choice = input.Between(0, 5);
    return choice < 5 ? pool[choice] : input.LongText(CINIFile::kWriterCommentBufferBytes + 100);
}

void CheckSame(CINIFile& ini, const Mirror& mirror)
{
    FUZZ_CHECK((ini.IsOpen() == 1) == mirror.open);
    FUZZ_CHECK(ini.GetSectionCount() == static_cast<int>(mirror.sections.size()));
    FUZZ_CHECK(ini.GetSection(-1) == nullptr && ini.GetSection(ini.GetSectionCount()) == nullptr);
    for (size_t i = 0; i < mirror.sections.size(); ++i) {
        const MirrorSection& expected = mirror.sections[i];
        Section* section = ini.GetSection(static_cast<int>(i));
        FUZZ_CHECK(section != nullptr);
        FUZZ_CHECK(Bytes(section->m_strName) == expected.name);
        FUZZ_CHECK(Bytes(section->m_strComment) == expected.comment);
        FUZZ_CHECK(section->m_nState == expected.state);
        FUZZ_CHECK(section->GetKeyCount() == static_cast<int>(expected.keys.size()));
        for (size_t k = 0; k < expected.keys.size(); ++k) {
            const CINIFile::CINIFileKey& key = section->m_arrKeys.GetAt(static_cast<int>(k));
            FUZZ_CHECK(Bytes(key.m_strName) == expected.keys[k].name);
            FUZZ_CHECK(Bytes(key.m_strValue) == expected.keys[k].value);
            FUZZ_CHECK(Bytes(key.m_strComment) == expected.keys[k].comment);
            FUZZ_CHECK(key.m_nState == expected.keys[k].state);
        }
    }
}

// The lookups by name against the mirror; each must reach a live item so named.
void CheckLookups(CINIFile& ini, Mirror& mirror, const std::string& sectionName, const std::string& keyName)
{
    const CString section = ToCString(sectionName);
    const CString key = ToCString(keyName);
    const int index = ini.GetIndexForSection(section);
    FUZZ_CHECK(index == mirror.LiveIndex(sectionName));
    FUZZ_CHECK(ini.GetSection(section) == ini.GetSection(index));
    MirrorSection* found = mirror.Live(sectionName);
    const int keyIndex = KeyIndex(found, keyName, false);
    FUZZ_CHECK(ini.GetIndexForKey(section, key) == keyIndex);
    if (index >= 0) {
        FUZZ_CHECK(ini.GetSection(index)->m_nState != CINIFile::STATE_DELETED);
        CString value = "untouched", comment = "untouched";
        const int got = ini.GetSection(index)->GetKey(key, value, comment);
        FUZZ_CHECK(got == (keyIndex >= 0 ? 1 : 0));
        const MirrorKey* live = keyIndex >= 0 ? &found->keys[static_cast<size_t>(keyIndex)] : nullptr;
        if (live) FUZZ_CHECK(ini.GetSection(index)->m_arrKeys.GetAt(keyIndex).m_nState != CINIFile::STATE_DELETED);
        FUZZ_CHECK(Bytes(value) == (live ? live->value : "untouched"));
        FUZZ_CHECK(Bytes(comment) == (live ? live->comment : "untouched"));
    }
    // GetKeyData reaches the first key so named in any state.
    CString value = "untouched", comment = "untouched";
    const int anyIndex = KeyIndex(found, keyName, true);
    FUZZ_CHECK(ini.GetKeyData(section, key, value, comment) == (anyIndex >= 0 ? 1 : 0));
    const MirrorKey* any = anyIndex >= 0 ? &found->keys[static_cast<size_t>(anyIndex)] : nullptr;
    FUZZ_CHECK(Bytes(value) == (any ? any->value : "untouched"));
    FUZZ_CHECK(Bytes(comment) == (any ? any->comment : "untouched"));
}

// GetKey by index: whole key inside the list, out-parameters untouched outside.
void CheckKeyAt(CINIFile& ini, Mirror& mirror, int sectionIndex, int keyIndex)
{
    Section* section = ini.GetSection(sectionIndex);
    if (!section) return;
    const std::vector<MirrorKey>& keys = mirror.sections[static_cast<size_t>(sectionIndex)].keys;
    CString name = "untouched", value = "untouched", comment = "untouched";
    const bool inside = keyIndex >= 0 && static_cast<size_t>(keyIndex) < keys.size();
    FUZZ_CHECK(section->GetKey(keyIndex, name, value, comment) == (inside ? 1 : 0));
    const MirrorKey untouched{"untouched", "untouched", "untouched", 0};
    const MirrorKey& expected = inside ? keys[static_cast<size_t>(keyIndex)] : untouched;
    FUZZ_CHECK(Bytes(name) == expected.name && Bytes(value) == expected.value && Bytes(comment) == expected.comment);
}

void AddSection(CINIFile& ini, Mirror& mirror, const std::string& name, const std::string& comment, bool withComment,
                bool wantIndex)
{
    int index = -7;
    const int result = withComment
                           ? ini.AddNewSection(ToCString(name), ToCString(comment), wantIndex ? &index : nullptr)
                           : ini.AddNewSection(ToCString(name), wantIndex ? &index : nullptr);
    const bool added = !mirror.Live(name);
    FUZZ_CHECK(result == (added ? 1 : 0));
    if (!added) {
        FUZZ_CHECK(index == -7);
        return;
    }
    mirror.sections.push_back(
        MirrorSection{name, withComment ? AddedComment(comment) : "", CINIFile::STATE_CHANGED, {}});
    if (wantIndex) FUZZ_CHECK(index == static_cast<int>(mirror.sections.size()) - 1);
}

void AddKey(CINIFile& ini, Mirror& mirror, const std::string& section, const CString& key, const std::string& value,
            const std::string& comment, bool withComment, bool wantIndex)
{
    int index = -7;
    const std::string keyName = Bytes(key);  // key may be a field of the model the call changes
    MirrorSection* found = mirror.Live(section);
    const bool added = found && KeyIndex(found, keyName, false) < 0;
    const int result =
        withComment
            ? ini.AddNewKey(ToCString(section), key, ToCString(value), ToCString(comment), wantIndex ? &index : nullptr)
            : ini.AddNewKey(ToCString(section), key, ToCString(value), wantIndex ? &index : nullptr);
    FUZZ_CHECK(result == (added ? 1 : 0));
    if (!added) {
        FUZZ_CHECK(index == -7);
        return;
    }
    found->keys.push_back(MirrorKey{keyName, value, withComment ? AddedComment(comment) : "", CINIFile::STATE_CHANGED});
    found->state = CINIFile::STATE_CHANGED;
    if (wantIndex) FUZZ_CHECK(index == static_cast<int>(found->keys.size()) - 1);
}

void Save(CINIFile& ini, Mirror& mirror, const std::string& path)
{
    FUZZ_CHECK(ini.Save(path.c_str()) == (mirror.open ? 1 : 0));
    if (!mirror.open) return;
    for (MirrorSection& section : mirror.sections)
        if (section.state != CINIFile::STATE_DELETED && !section.comment.empty())
            section.comment = WrittenComment(section.comment);
    CINIFile saved;
    FUZZ_CHECK(saved.Open(path.c_str()) == 1);
}

enum Operation {
    kAddSection,
    kAddKey,
    kAddKeyNamedLikeKey,
    kDeleteSection,
    kDeleteKey,
    kUpdateSection,
    kUpdateKey,
    kLookups,
    kKeyAt,
    kSave,
    kEmpty,
    kClose,
    kOpen,
    kOperationCount
};

constexpr int kMaxOperations = 256;  // keeps every input quick to run

void Apply(CINIFile& ini, Mirror& mirror, Input& input, const std::string& path)
{
    switch (input.Between(0, kOperationCount - 1)) {
    case kAddSection: {
        const bool withComment = input.Byte() % 2 != 0;
        const std::string name = Name(input);
        AddSection(ini, mirror, name, Comment(input), withComment, input.Byte() % 2 != 0);
        break;
    }
    case kAddKey: {
        const bool withComment = input.Byte() % 2 != 0;
        const std::string section = Name(input);
        const std::string key = Name(input);
        const std::string value = Name(input);
        AddKey(ini, mirror, section, ToCString(key), value, Comment(input), withComment, input.Byte() % 2 != 0);
        break;
    }
    case kAddKeyNamedLikeKey: {  // the key's name is a field of a key already in the section
        Section* section = ini.GetSection(input.Between(0, 7));
        const int k = input.Between(0, 7);
        if (!section || k >= section->GetKeyCount()) break;
        const std::string value = Name(input);
        AddKey(ini, mirror, Bytes(section->m_strName), section->m_arrKeys.ElementAt(k).m_strName, value, "", false,
               true);
        break;
    }
    case kDeleteSection: {
        const std::string name = Name(input);
        MirrorSection* found = mirror.Live(name);
        FUZZ_CHECK(ini.DeleteSection(ToCString(name)) == (found ? 1 : 0));
        if (found) found->state = CINIFile::STATE_DELETED;
        break;
    }
    case kDeleteKey: {
        const std::string section = Name(input);
        const std::string key = Name(input);
        MirrorSection* found = mirror.Live(section);
        const int k = KeyIndex(found, key, true);
        FUZZ_CHECK(ini.DeleteKey(ToCString(section), ToCString(key)) == (k >= 0 ? 1 : 0));
        if (k >= 0) found->keys[static_cast<size_t>(k)].state = CINIFile::STATE_DELETED;
        break;
    }
    case kUpdateSection: {
        std::string section = Name(input), name = Name(input), comment = Comment(input);
        Section* own = ini.GetSection(input.Between(0, 7));
        const bool fromFields = own && input.Byte() % 2 != 0;
        if (fromFields) {  // name and comment swapped, passed as the section's own fields
            section = Bytes(own->m_strName);
            name = Bytes(own->m_strComment);
            comment = Bytes(own->m_strName);
        }
        MirrorSection* found = mirror.Live(section);
        const int result = fromFields ? ini.UpdateSection(own->m_strName, own->m_strComment, own->m_strName)
                                      : ini.UpdateSection(ToCString(section), ToCString(name), ToCString(comment));
        FUZZ_CHECK(result == (found ? 1 : 0));
        if (found) *found = MirrorSection{name, comment, CINIFile::STATE_CHANGED, std::move(found->keys)};
        break;
    }
    case kUpdateKey: {
        const std::string section = Name(input);
        std::string key = Name(input), name = Name(input), value = Name(input), comment = Comment(input);
        MirrorSection* found = mirror.Live(section);
        int k = KeyIndex(found, key, true);
        const int result =
            ini.UpdateKey(ToCString(section), ToCString(key), ToCString(name), ToCString(value), ToCString(comment));
        FUZZ_CHECK(result == (k >= 0 ? 1 : 0));
        if (k >= 0) found->keys[static_cast<size_t>(k)] = MirrorKey{name, value, comment, CINIFile::STATE_CHANGED};
        // Then the same key again, its new name, value and comment rotated
        // and passed as its own fields.
        Section* own = ini.GetSection(mirror.LiveIndex(section));
        k = KeyIndex(found, name, true);
        if (!own || k < 0) break;
        const CINIFile::CINIFileKey& target = own->m_arrKeys.ElementAt(k);
        const MirrorKey before = found->keys[static_cast<size_t>(k)];
        FUZZ_CHECK(ini.UpdateKey(own->m_strName, target.m_strName, target.m_strValue, target.m_strComment,
                                 target.m_strName) == 1);
        found->keys[static_cast<size_t>(k)] =
            MirrorKey{before.value, before.comment, before.name, CINIFile::STATE_CHANGED};
        break;
    }
    case kLookups: {
        const std::string section = Name(input);
        CheckLookups(ini, mirror, section, Name(input));
        break;
    }
    case kKeyAt: {
        const int section = input.Between(-1, 7);
        CheckKeyAt(ini, mirror, section, input.Between(-1, 7));
        break;
    }
    case kSave: Save(ini, mirror, path); break;
    case kEmpty:
        ini.Empty();
        mirror.sections.clear();
        break;
    case kClose:
        FUZZ_CHECK(ini.Close() == (mirror.open ? 1 : 0));
        if (mirror.open) mirror.sections.clear();
        mirror.open = false;
        break;
    default:
        FUZZ_CHECK(ini.Open() == (mirror.open ? 0 : 1));
        mirror.open = true;
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const std::string path = ScratchFolder().Path("edited.ini");
    CINIFile ini;
    Mirror mirror;
    for (int done = 0; done < kMaxOperations && !input.Empty(); ++done) {
        Apply(ini, mirror, input, path);
        CheckSame(ini, mirror);
    }
    return 0;
}
