// filekit — token trees: CTokenAttribute and CTokenNode.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_TOKENNODE_H
#define FILEKIT_TOKENNODE_H

#include <filekit/Framework.h>

#endif
