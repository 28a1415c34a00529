# SPDX-License-Identifier: MIT
# Strict warnings for filekit's own targets; errors when FILEKIT_WERROR is on.
function(filekit_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(FILEKIT_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wsign-conversion -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
  if(FILEKIT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
