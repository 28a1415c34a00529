// SPDX-License-Identifier: MIT
// CTokenAttribute: the named values of a token node.
#include <filekit/TokenNode.h>

#include "platform/MbString.h"

CTokenAttribute::CTokenAttribute() : m_nType(0), m_nFlag(0) {}

CTokenAttribute::CTokenAttribute(const CString& name, const CString& value, int type, int flag)
    : m_strName(name), m_strValue(value), m_nType(type), m_nFlag(flag)
{
}

CTokenAttribute::~CTokenAttribute() = default;

int CTokenAttribute::CompareName(const CString& name) { return filekit::_mbsicmp(m_strName, name); }
