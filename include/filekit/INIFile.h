// filekit — INI files: CINIFile with its keys and sections.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_INIFILE_H
#define FILEKIT_INIFILE_H

#include <filekit/Framework.h>

class FILEKIT_API CINIFile {
public:
    static const CString CST_EXT_INI;   // "ini": the extension of INI files, without a dot
};

#endif
