// filekit — CBinaryFile, a thin owner of one OS file handle.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_BINARYFILE_H
#define FILEKIT_BINARYFILE_H

#include <filekit/Framework.h>

#endif
