# SPDX-License-Identifier: MIT
# CPack: on Linux two Debian packages (tax2008, libtax2008-dev) and a
# .tar.gz of everything; on Windows a .zip. cpack-generator.cmake picks the
# components for each generator when cpack runs.
set(CPACK_PACKAGE_NAME tax2008)
set(CPACK_PACKAGE_CONTACT "${TAX2008_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})  # not where cpack is run from
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack-generator.cmake)
configure_file(cmake/cpack-generator.cmake.in cpack-generator.cmake @ONLY)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack-normalize.cmake)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
# Debian: one package per component group, each with its own documentation.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPackComponent)
cpack_add_component_group(program)
cpack_add_component_group(development)
cpack_add_component(program GROUP program)
cpack_add_component(program_deb GROUP program)
cpack_add_component(development GROUP development)
cpack_add_component(development_deb GROUP development)
cpack_add_component(readme)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME tax2008)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION utils)
file(READ cmake/deb/tax2008.description CPACK_DEBIAN_PROGRAM_DESCRIPTION)
# A static program depends on nothing; a shared build asks dpkg what it needs.
if(NOT TAX2008_STATIC)
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
endif()

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtax2008-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
file(READ cmake/deb/libtax2008-dev.description CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION)

include(CPack)

# The source archive: the files of the commit, with its date in a file for
# builds that have no Git history to ask.
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  set(name ${PROJECT_NAME}-${PROJECT_VERSION}-Source)
  add_custom_target(tax2008_source_archive
    COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} -c tar.umask=0022 archive --format=tar.gz
      --prefix=${name}/
      --add-virtual-file=${name}/source-date-epoch:${tax2008_source_date}
      -o ${PROJECT_BINARY_DIR}/${name}.tar.gz HEAD
    VERBATIM)
else()
  add_custom_target(tax2008_source_archive
    COMMAND ${CMAKE_COMMAND} -E echo "No Git checkout here: no source archive")
endif()
