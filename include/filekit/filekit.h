// SPDX-License-Identifier: MIT
/// \file
/// filekit — every public header at once.
#ifndef FILEKIT_FILEKIT_H
#define FILEKIT_FILEKIT_H

#include <filekit/Framework.h>
#include <filekit/Win32.h>
#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>
#include <filekit/INIFile.h>
#include <filekit/TokenNode.h>
#include <filekit/TokenWriter.h>
#include <filekit/XMLSDK.h>
#include <filekit/XMLParserWrapper.h>
#include <filekit/XMLFile.h>
#include <filekit/Version.h>

#endif
