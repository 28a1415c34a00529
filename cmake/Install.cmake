# SPDX-License-Identifier: MIT
# Installation: public headers, the library with its SOVERSION, a CMake
# package (find_package(filekit CONFIG) -> filekit::filekit) with a version
# file, and a pkg-config file. pugixml stays private to the shared library.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Two components, as the Debian packages split them: "runtime" is what a
# program needs to run, "development" what it needs to build.
install(TARGETS filekit EXPORT filekitTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/filekit DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(FILES ${FILEKIT_GENERATED_INCLUDE}/filekit/Version.h ${FILEKIT_GENERATED_INCLUDE}/filekit/Config.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/filekit COMPONENT development)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/filekit)
install(EXPORT filekitTargets NAMESPACE filekit:: DESTINATION ${config_dir} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/filekitConfig.cmake.in
    ${PROJECT_BINARY_DIR}/filekitConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/filekitConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/filekitConfig.cmake ${PROJECT_BINARY_DIR}/filekitConfigVersion.cmake
        DESTINATION ${config_dir} COMPONENT development)

# The application's framework, where filekit was built against one: its
# include folder, library and definitions go to applications as they went
# to filekit (the CMake package adds them to filekit::filekit).
set(FILEKIT_PC_CFLAGS "")
if(NOT FILEKIT_BUILD_SHARED)
  string(APPEND FILEKIT_PC_CFLAGS " -DFILEKIT_STATIC")
endif()
foreach(definition ${FILEKIT_FRAMEWORK_DEFINITIONS})
  string(APPEND FILEKIT_PC_CFLAGS " -D${definition}")
endforeach()
if(FILEKIT_FRAMEWORK_INCLUDE_DIR)
  string(APPEND FILEKIT_PC_CFLAGS " -isystem ${FILEKIT_FRAMEWORK_INCLUDE_DIR}")
endif()
set(FILEKIT_PC_LIBS "")
if(FILEKIT_FRAMEWORK_LIBRARY)
  set(FILEKIT_PC_LIBS " ${FILEKIT_FRAMEWORK_LIBRARY}")
endif()
# The .pc file finds its prefix relative to itself, so the tree can move;
# in the Debian packages it names /usr, where dpkg puts the files, so that
# pkg-config leaves out the compiler's own search folders.
if(FILEKIT_PACKAGE_DEB)
  set(FILEKIT_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
else()
  file(RELATIVE_PATH pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  set(FILEKIT_PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/filekit.pc.in ${PROJECT_BINARY_DIR}/filekit.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/filekit.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
