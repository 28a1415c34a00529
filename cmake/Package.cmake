# SPDX-License-Identifier: MIT
# Debian packages made by CPack (tools/package.sh), laid out as Debian lays
# out a shared library: libfilekit<SOVERSION> holds the runtime library,
# libfilekit-dev the headers, the link and the CMake and pkg-config files.
# The files Debian asks of every package (copyright, changelog, lintian
# overrides where lintian's warnings are justified) come from
# cmake/debian/.
if(NOT FILEKIT_BUILD_SHARED)
  message(FATAL_ERROR "The Debian packages hold the shared library: FILEKIT_BUILD_SHARED must be ON")
endif()
set(FILEKIT_PACKAGE_MAINTAINER "filekit developers <filekit@example.org>"
    CACHE STRING "Maintainer field of the Debian packages")

set(runtime_package libfilekit${FILEKIT_SOVERSION})
set(development_package libfilekit-dev)

# One Debian-format changelog serves both packages; its date honours
# SOURCE_DATE_EPOCH, so a rebuild of the same source gives the same file.
string(TIMESTAMP FILEKIT_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/changelog
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/debian/changelog.gz COMMAND_ERROR_IS_FATAL ANY)

foreach(component runtime development)
  set(package ${${component}_package})
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  set(overrides ${PROJECT_SOURCE_DIR}/cmake/debian/${component}.lintian-overrides)
  if(EXISTS ${overrides})
    install(FILES ${overrides} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ${package}
            COMPONENT ${component})
  endif()
endforeach()

# The synopsis is each package's first line; this text follows it in both.
set(description "filekit is a C++17 library of file and data classes: INI files read into a
model that keeps every comment, XML documents through a string-based wrapper,
token trees written through an application's tokenizer, binary and text
files. The classes keep the names and signatures of a 32-bit Windows
application-framework library, so applications written against it build on
Linux unchanged.")

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_PACKAGE_NAME filekit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE filekit)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FILEKIT_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

# The runtime: its dependencies are read from the library by dpkg-shlibdeps,
# it declares its soname in a shlibs file, and ldconfig runs by trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${runtime_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "file and data classes for desktop applications - runtime
${description}

This package holds the shared library.")

# The development files: the link is to the runtime of the same version,
# and pkg-config's view of filekit names pugixml, whose .pc comes with
# libpugixml-dev.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${development_package})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS libpugixml-dev)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "file and data classes for desktop applications - development files
${description}

This package holds the headers, the CMake package (find_package(filekit))
and the pkg-config file.")

include(CPack)
