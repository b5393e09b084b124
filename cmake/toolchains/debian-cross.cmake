# SPDX-License-Identifier: MIT
# Shared by the toolchain files beside it, for Debian's cross compilers: the
# including file sets tax2008_triple, and the tests run under qemu-user or
# Wine (scripts/wine).
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${tax2008_triple})
if(tax2008_triple MATCHES "mingw32$")
  set(CMAKE_SYSTEM_NAME Windows)
  set(tax2008_variant -posix)  # MinGW's POSIX threads, for std::mutex in GoogleTest
  set(bits 32)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(bits 64)
  endif()
  cmake_path(SET wine NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${wine} ${bits})
else()
  set(CMAKE_SYSTEM_NAME Linux)
  string(REPLACE i686 i386 CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CMAKE_C_COMPILER ${tax2008_triple}-gcc${tax2008_variant})
set(CMAKE_CXX_COMPILER ${tax2008_triple}-g++${tax2008_variant})
set(CMAKE_FIND_ROOT_PATH /usr/${tax2008_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static executables: qemu-user runs them without a sysroot, and Windows needs
# no DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
