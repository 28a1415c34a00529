// SPDX-License-Identifier: MIT
// XMLSDK::CXMLAttribute: the value of an attribute handle.
#include "xml/xmlsdk/Handles.h"

namespace XMLSDK {

using filekit::xml::ToBackEnd;

bool CXMLAttribute::HasValue() const { return *ToBackEnd(m_handle).value() != '\0'; }

const char* CXMLAttribute::GetValue() const { return ToBackEnd(m_handle).value(); }

}  // namespace XMLSDK
