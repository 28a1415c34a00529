# SPDX-License-Identifier: MIT
# The application framework filekit's interface uses, chosen at configure
# time: own (filekit's stand-ins, the default), mfc (MFC itself, with MSVC)
# or header (the application's own framework: FILEKIT_FRAMEWORK_HEADER
# declares it, FILEKIT_FRAMEWORK_LIBRARY implements it). The choice is
# written into the generated <filekit/Config.h>; the interface target
# filekit_framework carries the framework's include folder (as a system
# folder: filekit's warnings are not the framework's), its library and its
# definitions to filekit's targets. Install.cmake passes the same on to
# applications through the CMake package and filekit.pc.
set(FILEKIT_FRAMEWORK own CACHE STRING "The application framework: own, mfc or header")
set_property(CACHE FILEKIT_FRAMEWORK PROPERTY STRINGS own mfc header)
set(FILEKIT_FRAMEWORK_HEADER "" CACHE FILEPATH "header framework: the header that declares it")
set(FILEKIT_FRAMEWORK_LIBRARY "" CACHE FILEPATH "header framework: the library that implements it, if any")

add_library(filekit_framework INTERFACE)
set(FILEKIT_FRAMEWORK_INCLUDE_DIR "")
set(FILEKIT_FRAMEWORK_DEFINITIONS "")
set(FILEKIT_FRAMEWORK_INCLUDE_DEFINE "")
set(FILEKIT_FRAMEWORK_TAG "")

if(FILEKIT_FRAMEWORK STREQUAL "own")
  set(FILEKIT_FRAMEWORK_ID own)
elseif(FILEKIT_FRAMEWORK STREQUAL "mfc")
  if(NOT MSVC)
    message(FATAL_ERROR "FILEKIT_FRAMEWORK=mfc needs MSVC with MFC")
  endif()
  if(NOT FILEKIT_BUILD_SHARED)
    message(FATAL_ERROR "FILEKIT_FRAMEWORK=mfc builds an MFC extension DLL: FILEKIT_BUILD_SHARED must be ON")
  endif()
  set(FILEKIT_FRAMEWORK_ID mfc)
  # The shared MFC, multibyte: an extension DLL and its application share
  # one MFC, and filekit's strings are byte strings.
  set(CMAKE_MFC_FLAG 2)
  set(FILEKIT_FRAMEWORK_DEFINITIONS _AFXDLL _MBCS)
elseif(FILEKIT_FRAMEWORK STREQUAL "header")
  if(NOT EXISTS "${FILEKIT_FRAMEWORK_HEADER}" OR IS_DIRECTORY "${FILEKIT_FRAMEWORK_HEADER}")
    message(FATAL_ERROR "FILEKIT_FRAMEWORK=header: FILEKIT_FRAMEWORK_HEADER names no header: '${FILEKIT_FRAMEWORK_HEADER}'")
  endif()
  if(FILEKIT_FRAMEWORK_LIBRARY AND NOT EXISTS "${FILEKIT_FRAMEWORK_LIBRARY}")
    message(FATAL_ERROR "FILEKIT_FRAMEWORK_LIBRARY names no file: '${FILEKIT_FRAMEWORK_LIBRARY}'")
  endif()
  get_filename_component(FILEKIT_FRAMEWORK_INCLUDE_DIR "${FILEKIT_FRAMEWORK_HEADER}" DIRECTORY)
  get_filename_component(header_name "${FILEKIT_FRAMEWORK_HEADER}" NAME)
  string(MAKE_C_IDENTIFIER "${header_name}" header_id)
  set(FILEKIT_FRAMEWORK_ID "header:${header_name}")
  set(FILEKIT_FRAMEWORK_INCLUDE_DEFINE "#define FILEKIT_FRAMEWORK_INCLUDE <${header_name}>")
  set(FILEKIT_FRAMEWORK_TAG "__attribute__((abi_tag(\"fw_${header_id}\")))")
  target_include_directories(filekit_framework SYSTEM INTERFACE "${FILEKIT_FRAMEWORK_INCLUDE_DIR}")
  if(FILEKIT_FRAMEWORK_LIBRARY)
    target_link_libraries(filekit_framework INTERFACE "${FILEKIT_FRAMEWORK_LIBRARY}")
  endif()
else()
  message(FATAL_ERROR "FILEKIT_FRAMEWORK must be own, mfc or header, not '${FILEKIT_FRAMEWORK}'")
endif()
target_compile_definitions(filekit_framework INTERFACE ${FILEKIT_FRAMEWORK_DEFINITIONS})

string(TOUPPER "${FILEKIT_FRAMEWORK}" FILEKIT_FRAMEWORK_MACRO)
configure_file(${PROJECT_SOURCE_DIR}/cmake/Config.h.in ${FILEKIT_GENERATED_INCLUDE}/filekit/Config.h @ONLY)
