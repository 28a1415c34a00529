// filekit — CTextFile, text files with load and save hooks.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_TEXTFILE_H
#define FILEKIT_TEXTFILE_H

#include <filekit/Framework.h>

#endif
