// A minimal application: includes every public header, uses the library,
// and prints its version when the calls give what they should.
#include <filekit/filekit.h>

#include <cstdio>
#include <cstring>

int main()
{
    CString text("consumer");
    text += " ok";
    const bool versionMatches = std::strcmp(filekit::Version(), FILEKIT_VERSION_STRING) == 0;
    const bool constants = CINIFile::CST_EXT_INI == "ini";
    SetLastError(ERROR_FILE_NOT_FOUND);
    const bool lastError = GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!versionMatches || !constants || !lastError || text != "consumer ok") return 1;
    std::printf("filekit %s ok\n", filekit::Version());
    return 0;
}
