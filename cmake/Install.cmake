# Installation: public headers, the library with its SOVERSION, a CMake
# package (find_package(filekit CONFIG) -> filekit::filekit) with a version
# file, and a pkg-config file. pugixml stays private to the shared library.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS filekit EXPORT filekitTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/filekit DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${FILEKIT_GENERATED_INCLUDE}/filekit/Version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/filekit)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/filekit)
install(EXPORT filekitTargets NAMESPACE filekit:: DESTINATION ${config_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/filekitConfig.cmake.in
    ${PROJECT_BINARY_DIR}/filekitConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/filekitConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/filekitConfig.cmake ${PROJECT_BINARY_DIR}/filekitConfigVersion.cmake
        DESTINATION ${config_dir})

if(FILEKIT_BUILD_SHARED)
  set(FILEKIT_PC_CFLAGS "")
else()
  set(FILEKIT_PC_CFLAGS "-DFILEKIT_STATIC")
endif()
# The .pc file finds its prefix relative to itself, so the tree can move.
file(RELATIVE_PATH FILEKIT_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/filekit.pc.in ${PROJECT_BINARY_DIR}/filekit.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/filekit.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
