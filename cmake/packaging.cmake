# CPack: a .deb and a .tar.gz on Linux, a .zip on Windows.
set(CPACK_PACKAGE_NAME tax2008)
set(CPACK_PACKAGE_VENDOR "tax2008 developers")
set(CPACK_PACKAGE_CONTACT "tax2008 maintainers <maintainers@users.noreply.c-seed-0103ab91.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Asks for a 2008 taxable income and prints the tax under the 2008 rate schedule for a single "
  "filer, in dollars and cents, with exact binary64 arithmetic.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A static program depends on nothing; a shared build asks dpkg what it needs.
if(NOT TAX2008_STATIC)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
