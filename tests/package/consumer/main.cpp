// SPDX-License-Identifier: MIT
// A minimal application: includes every public header, hands its own
// strings to an INI model, an XML document and a token tree, and prints the
// library's version when all of them give the strings back. Against a
// filekit built on the application's own framework, the strings are made
// by a member that only that framework has.
#include <filekit/filekit.h>

#include <cstdio>
#include <cstring>

namespace {

CString Made(const char* text)
{
#if defined(FILEKIT_FRAMEWORK_HEADER)
    CString made;
    made.Format("%s", text);
    return made;
#else
    return CString(text);
#endif
}

}  // namespace

int main()
{
    const CString value = Made("consumer ok");
    CString read, comment;
    CINIFile ini;
    const bool iniKeeps = ini.Open() && ini.AddNewSection(Made("section"), nullptr) &&
                          ini.AddNewKey(Made("section"), Made("key"), value, nullptr) &&
                          ini.GetKeyData(Made("section"), Made("key"), read, comment) && read == value;
    CXMLParserWrapper xml;
    XMLSDK::CXMLNode root;
    const bool xmlKeeps = xml.Open() && xml.CreateRootNode(Made("root"), &root) &&
                          CXMLParserWrapper::AddNewNode(root, Made("node"), value, nullptr) &&
                          CXMLParserWrapper::GetChildNodeValue(root, Made("node"), read) && read == value;
    const bool treeKeeps = CTokenNode(Made("node"), value, 0, 0).GetValue() == value;
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%d.%d.%d", FILEKIT_VERSION_MAJOR, FILEKIT_VERSION_MINOR,
                  FILEKIT_VERSION_PATCH);
    const bool versionMatches = std::strcmp(filekit::Version(), FILEKIT_VERSION_STRING) == 0 &&
                                std::strcmp(numbers, FILEKIT_VERSION_STRING) == 0;
    const bool constants = CINIFile::CST_EXT_INI == "ini";
    SetLastError(ERROR_FILE_NOT_FOUND);
    const bool lastError = GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!iniKeeps || !xmlKeeps || !treeKeeps || !versionMatches || !constants || !lastError) return 1;
    std::printf("filekit %s ok\n", filekit::Version());
    return 0;
}
