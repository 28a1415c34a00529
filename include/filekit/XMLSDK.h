// filekit — the XMLSDK interface over pugixml.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_XMLSDK_H
#define FILEKIT_XMLSDK_H

#include <filekit/Framework.h>

namespace XMLSDK {}

#endif
