# SPDX-License-Identifier: MIT
# Install rules, by component: `program` (the program, its manual page) and
# `development` (the library, headers, CMake package); only for the packages,
# `readme` (README, LICENSE, NEWS in the archives) and, for Debian's,
# `program_deb` and `development_deb` (copyright, changelog, lintian override).
include(GNUInstallDirs)
set(TAX2008_MAINTAINER "tax2008 maintainers <maintainers@users.noreply.c-seed-0103ab91.example>")

# The time of the commit, or of the source archive, dates the manual page and
# every packaged file, so that two builds of one commit are identical.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(tax2008_source_date $ENV{SOURCE_DATE_EPOCH})
elseif(EXISTS ${PROJECT_SOURCE_DIR}/source-date-epoch)
  file(STRINGS ${PROJECT_SOURCE_DIR}/source-date-epoch tax2008_source_date LIMIT_COUNT 1)
else()
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE tax2008_source_date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT tax2008_source_date)
    message(WARNING "No commit and no source-date-epoch file: the packages carry today's date")
    string(TIMESTAMP tax2008_source_date "%s" UTC)
  endif()
endif()
set(caller_date "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${tax2008_source_date})  # string(TIMESTAMP) reads it
string(TIMESTAMP TAX2008_MONTH "%B %Y" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${caller_date}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/NEWS)

# tax2008_gzip(TARGET FILE): FILE.gz beside it, with no name or time in its header.
function(tax2008_gzip target file)
  add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nkf ${file} DEPENDS ${file} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${file}.gz)
endfunction()

if(TAX2008_BUILD_PROGRAM)
  install(TARGETS tax2008 tax2008_batch_program COMPONENT program)
  foreach(program IN ITEMS tax2008 tax2008-batch)
    configure_file(man/${program}.1.in man/${program}.1 @ONLY)
    set(manual_page ${PROJECT_BINARY_DIR}/man/${program}.1)
    if(NOT WIN32)  # compressed, as Debian wants it
      tax2008_gzip(${program}_manual_page ${manual_page})
      set(manual_page ${manual_page}.gz)
    endif()
    install(FILES ${manual_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
  endforeach()
endif()

install(TARGETS tax2008_tax EXPORT tax2008
  ARCHIVE COMPONENT development FILE_SET HEADERS COMPONENT development)
set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/tax2008)
install(EXPORT tax2008 FILE tax2008Config.cmake NAMESPACE tax2008:: DESTINATION ${config_dir}
  COMPONENT development)
include(CMakePackageConfigHelpers)
write_basic_package_version_file(tax2008ConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tax2008ConfigVersion.cmake DESTINATION ${config_dir}
  COMPONENT development)

install(FILES README.md LICENSE NEWS DESTINATION . COMPONENT readme EXCLUDE_FROM_ALL)

# Debian wants a copyright file and a changelog in Debian's own format, made
# here from NEWS, in each package's documentation directory.
if(NOT WIN32)
  include(cmake/debian-changelog.cmake)
  tax2008_debian_changelog(${PROJECT_SOURCE_DIR}/NEWS ${PROJECT_BINARY_DIR}/deb/changelog
    "${TAX2008_MAINTAINER}")
  tax2008_gzip(tax2008_debian_changelog ${PROJECT_BINARY_DIR}/deb/changelog)
  install(FILES cmake/deb/copyright ${PROJECT_BINARY_DIR}/deb/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tax2008 COMPONENT program_deb EXCLUDE_FROM_ALL)
  install(FILES cmake/deb/copyright ${PROJECT_BINARY_DIR}/deb/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libtax2008-dev COMPONENT development_deb EXCLUDE_FROM_ALL)
  install(FILES cmake/deb/tax2008.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME tax2008
    COMPONENT program_deb EXCLUDE_FROM_ALL)
endif()
