# SPDX-License-Identifier: MIT
# The README checks, run by CTest (see CMakeLists.txt beside this file).
#   MODE=build  writes every quick start of README into WORK/sources and
#               builds them in WORK/build as the project in app/ says
#   MODE=run    runs quick start NAME in a new, empty folder and compares
#               what it prints with the README's output block for NAME
#   MODE=names  checks that every relative link of README leads to a file,
#               that every example is linked, and that every script the
#               README names exists unless its line says it is being built
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/QuickStarts.cmake)
file(READ ${README} text)

function(run_or_fail what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed:\n${out}\n${err}")
  endif()
endfunction()

if(MODE STREQUAL "build")
  filekit_readme_quickstart_names("${text}" names)
  if(NOT names)
    message(FATAL_ERROR "README: no quick start")
  endif()
  # Sources are rewritten only when they change, and programs always
  # relinked, so a quick start that no longer builds leaves no old program.
  set(sources ${WORK}/sources)
  file(MAKE_DIRECTORY ${sources})

  file(GLOB old_sources ${sources}/*.cpp)
  foreach(old ${old_sources})
    get_filename_component(name ${old} NAME_WE)
    if(NOT name IN_LIST names)
      file(REMOVE ${old})
    endif()
  endforeach()
  foreach(name ${names})
    filekit_readme_block("${text}" "<!-- quickstart: ${name} -->" code)
    file(WRITE ${WORK}/staging/${name}.cpp "${code}")
    file(COPY_FILE ${WORK}/staging/${name}.cpp ${sources}/${name}.cpp ONLY_IF_DIFFERENT)

    file(REMOVE ${WORK}/build/quickstart_${name})
  endforeach()
  run_or_fail("configuring the quick starts"
      ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/app -B ${WORK}/build -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
      -DFILEKIT_SOURCE=${SOURCE} -DFILEKIT_GENERATED=${GENERATED}
      -DFILEKIT_LIBRARY=${LIBRARY} -DFILEKIT_LIBRARY_TYPE=${LIBRARY_TYPE}
      -DFILEKIT_WERROR=${WERROR} -DFILEKIT_SANITIZE=${SANITIZE} -DQUICKSTARTS=${sources}
      -DFILEKIT_FRAMEWORK_INCLUDE=${FRAMEWORK_INCLUDE} -DFILEKIT_FRAMEWORK_LIBRARY=${FRAMEWORK_LIBRARY})
  run_or_fail("building the quick starts" ${CMAKE_COMMAND} --build ${WORK}/build)

elseif(MODE STREQUAL "run")
  set(program ${WORK}/build/quickstart_${NAME})
  if(NOT EXISTS ${program})
    message(FATAL_ERROR "the quick start \"${NAME}\" was not built (see readme_quickstarts_build)")
  endif()
  set(folder ${WORK}/run/${NAME})
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder})
  execute_process(COMMAND ${program} WORKING_DIRECTORY ${folder}
                  RESULT_VARIABLE result OUTPUT_VARIABLE printed ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the quick start \"${NAME}\" ended with ${result}:\n${printed}\n${errors}")
  endif()
  filekit_readme_block("${text}" "<!-- output: ${NAME} -->" shown)
  if(NOT printed STREQUAL shown)
    message(FATAL_ERROR "the quick start \"${NAME}\" printed\n${printed}\nwhere the README shows\n${shown}")
  endif()

elseif(MODE STREQUAL "names")
  set(problems)
  # Square brackets would group list entries: links are found as "](" runs
  # turned into a plain word first.
  string(REPLACE "](" " LINK(" linked "${text}")
  string(REGEX MATCHALL " LINK\\([^):]+\\)" links "${linked}")
  foreach(link ${links})
    string(REGEX REPLACE "^ LINK\\(([^)#]*).*" "\\1" path "${link}")
    if(NOT EXISTS ${SOURCE}/${path})
      list(APPEND problems "the link to ${path} leads nowhere")
    endif()
  endforeach()
  file(GLOB examples RELATIVE ${SOURCE} ${SOURCE}/examples/*.cpp)
  foreach(example ${examples})
    string(FIND "${text}" "](${example})" at)
    if(at EQUAL -1)
      list(APPEND problems "${example} is not linked")
    endif()
  endforeach()
  # One list entry per line; the README's own semicolons and square
  # brackets must not split or group them.
  string(REPLACE ";" "," lines "${text}")
  string(REPLACE "[" "<" lines "${lines}")
  string(REPLACE "]" ">" lines "${lines}")

  string(REPLACE "\n" ";" lines "${lines}")
  foreach(line ${lines})
    string(REGEX MATCHALL "(tools/[A-Za-z0-9_-]+\\.sh|bench/compare)" scripts "${line}")
    foreach(script ${scripts})
      string(FIND "${line}" "(being built)" pending)
      if(NOT EXISTS ${SOURCE}/${script} AND pending EQUAL -1)
        list(APPEND problems "${script} does not exist: mark its line \"(being built)\"")
      elseif(EXISTS ${SOURCE}/${script} AND NOT pending EQUAL -1)
        list(APPEND problems "${script} exists now: its line need not say \"(being built)\"")
      endif()
    endforeach()
  endforeach()
  if(problems)
    list(REMOVE_DUPLICATES problems)
    string(REPLACE ";" "\n  " problems "${problems}")
    message(FATAL_ERROR "README:\n  ${problems}")
  endif()

else()
  message(FATAL_ERROR "MODE must be build, run or names")
endif()
