# SPDX-License-Identifier: MIT
# Builds the consumer project against an installed filekit the way MODE says
# (find_package or pkg-config), checks that the filekit found is the one
# meant, and runs the program. With BUILD_DIR the build is installed into
# WORK/prefix and found there; without it the filekit installed on the
# system is used, whose package files are CONFIG_FILE and PC_FILE.
# FRAMEWORK_LIBRARY: the library of the application's framework, if any.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  string(STRIP "${out}" out)
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

function(expect what found expected)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${what} found at ${found}, not at ${expected}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
if(DEFINED BUILD_DIR)
  set(prefix ${WORK}/prefix)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  file(GLOB_RECURSE CONFIG_FILE ${prefix}/filekitConfig.cmake)
  file(GLOB_RECURSE PC_FILE ${prefix}/filekit.pc)
endif()
get_filename_component(config_dir "${CONFIG_FILE}" DIRECTORY)
get_filename_component(pc_dir "${PC_FILE}" DIRECTORY)
if(DEFINED prefix)
  # Not a system folder: pointed at through the search paths and the rpath.
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  set(search_path -DCMAKE_PREFIX_PATH=${prefix})
  set(rpath -Wl,-rpath,${pc_dir}/..)
endif()
if(FRAMEWORK_LIBRARY)
  # The application's own framework library: the application knows where.
  get_filename_component(framework_dir ${FRAMEWORK_LIBRARY} DIRECTORY)
  list(APPEND rpath -Wl,-rpath,${framework_dir})
endif()

if(MODE STREQUAL "find_package")
  run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build ${search_path} -DCMAKE_CXX_COMPILER=${CXX})
  file(STRINGS ${WORK}/build/CMakeCache.txt found REGEX "^filekit_DIR:")
  expect("filekitConfig.cmake" "${found}" "filekit_DIR:PATH=${config_dir}")
  run(${CMAKE_COMMAND} --build ${WORK}/build)
  set(program ${WORK}/build/consumer)
else()
  run(pkg-config --variable=pcfiledir filekit)
  expect("filekit.pc" "${last_output}" "${pc_dir}")
  run(pkg-config --cflags --libs filekit)
  separate_arguments(flags UNIX_COMMAND "${last_output}")
  set(program ${WORK}/consumer)
  run(${CXX} -std=c++17 ${SOURCE}/main.cpp ${flags} ${rpath} -o ${program})
endif()
run(${program})
if(NOT last_output MATCHES "filekit [0-9]+\\.[0-9]+\\.[0-9]+ ok")
  message(FATAL_ERROR "unexpected output: ${last_output}")
endif()
