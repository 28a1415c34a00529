// SPDX-License-Identifier: MIT
// A minimal application: includes every public header, hands its strings
// to an INI model, an XML document and a token tree, and prints the
// library's version when all of them give the strings back. Against a
// filekit built on the application's own framework the strings are that
// framework's, which has members filekit's own lacks.
#include <filekit/filekit.h>

#include <cstdio>
#include <cstring>

int main()
{
    const CString value("consumer ok");
#if defined(FILEKIT_FRAMEWORK_HEADER)
    const bool ownString = value.Find(' ') == 8;
#else
    const bool ownString = true;
#endif
    CString read, comment;
    CINIFile ini;
    const bool iniKeeps = ini.Open() && ini.AddNewSection("section", nullptr) &&
                          ini.AddNewKey("section", "key", value, nullptr) &&
                          ini.GetKeyData("section", "key", read, comment) && read == value;
    CXMLParserWrapper xml;
    XMLSDK::CXMLNode root;
    const bool xmlKeeps = xml.Open() && xml.CreateRootNode("root", &root) &&
                          CXMLParserWrapper::AddNewNode(root, "node", value, nullptr) &&
                          CXMLParserWrapper::GetChildNodeValue(root, "node", read) && read == value;
    const bool treeKeeps = CTokenNode("node", value, 0, 0).GetValue() == value;
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%d.%d.%d", FILEKIT_VERSION_MAJOR, FILEKIT_VERSION_MINOR,
                  FILEKIT_VERSION_PATCH);
    const bool versionMatches = std::strcmp(filekit::Version(), FILEKIT_VERSION_STRING) == 0 &&
                                std::strcmp(numbers, FILEKIT_VERSION_STRING) == 0;
    const bool constants = CINIFile::CST_EXT_INI == "ini";
    SetLastError(ERROR_FILE_NOT_FOUND);
    const bool lastError = GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!ownString || !iniKeeps || !xmlKeeps || !treeKeeps || !versionMatches || !constants || !lastError) return 1;
    std::printf("filekit %s ok\n", filekit::Version());
    return 0;
}
