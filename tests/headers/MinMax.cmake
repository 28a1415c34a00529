# SPDX-License-Identifier: MIT
# Fails when filekit's code calls std::min or std::max, or numeric_limits'
# min() or max(), in a form that the min and max macros of MSVC's
# <windows.h> expand: (std::min)(a, b) is the form that builds beside them.
#   SOURCE  filekit's source folder
set(found "")
foreach(folder include platform module files ini tokens xml)
  file(GLOB_RECURSE sources ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "(^|[^(])std::(numeric_limits<[^>]*>::)?(min|max) *\\(")
    foreach(line ${lines})
      string(APPEND found "\n${source}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "min or max in a form the Windows macros break:${found}")
endif()
