// filekit — CTokenizer and CTokenWriter.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_TOKENWRITER_H
#define FILEKIT_TOKENWRITER_H

#include <filekit/Framework.h>
#include <filekit/TokenNode.h>

#endif
