// SPDX-License-Identifier: MIT
// The lookups by name of the INI model, internal.
//
// Names match when they are equal up to their first zero byte, as a
// byte-wise string comparison would find them; the search stays a linear
// scan in array order and returns the first match.
#ifndef FILEKIT_INI_LOOKUP_H
#define FILEKIT_INI_LOOKUP_H

#include <filekit/INIFile.h>

namespace filekit::ini {

// Whether a key search also finds deleted keys.
enum class DeletedKeys { kSkip, kFind };

// Index of the first live section named name; -1 when none.
int FindSection(const CObArray& sections, const CString& name);

// Index of the first key named name; -1 when none.
int FindKey(const CArray<CINIFile::CINIFileKey, CINIFile::CINIFileKey>& keys, const CString& name, DeletedKeys deleted);

}  // namespace filekit::ini

#endif
