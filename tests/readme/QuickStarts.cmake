# SPDX-License-Identifier: MIT
# Reading the README's marked blocks. A quick start is the ```cpp block that
# follows "<!-- quickstart: NAME -->"; what it prints is the ```text block
# that follows "<!-- output: NAME -->". Only blank lines may stand between a
# marker and its block.

# The names of the quick starts in text, in page order; a name given twice
# is an error.
function(filekit_readme_quickstart_names text out)
  string(REGEX MATCHALL "<!-- quickstart: [A-Za-z0-9_]+ -->" markers "${text}")
  set(names)
  foreach(marker ${markers})
    string(REGEX REPLACE "<!-- quickstart: ([A-Za-z0-9_]+) -->" "\\1" name "${marker}")
    if(name IN_LIST names)
      message(FATAL_ERROR "README: the quick start \"${name}\" appears twice")
    endif()
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# The content of the fenced block after marker in text, its last line end
# included; an error when the marker is missing or no block follows it.
function(filekit_readme_block text marker out)
  string(FIND "${text}" "${marker}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "README: no \"${marker}\"")
  endif()
  string(LENGTH "${marker}" length)
  math(EXPR at "${at} + ${length}")
  string(SUBSTRING "${text}" ${at} -1 rest)
  string(FIND "${rest}" "```" fence)
  if(fence EQUAL -1)
    message(FATAL_ERROR "README: no block after \"${marker}\"")
  endif()
  string(SUBSTRING "${rest}" 0 ${fence} between)
  if(NOT between MATCHES "^[ \n]*$")
    message(FATAL_ERROR "README: text between \"${marker}\" and its block")
  endif()
  string(SUBSTRING "${rest}" ${fence} -1 rest)
  string(FIND "${rest}" "\n" line_end)   # the end of the opening fence's line
  math(EXPR line_end "${line_end} + 1")
  string(SUBSTRING "${rest}" ${line_end} -1 rest)
  string(FIND "${rest}" "\n```" close)
  if(close EQUAL -1)
    message(FATAL_ERROR "README: the block after \"${marker}\" is never closed")
  endif()
  math(EXPR close "${close} + 1")
  string(SUBSTRING "${rest}" 0 ${close} block)
  set(${out} "${block}" PARENT_SCOPE)
endfunction()
