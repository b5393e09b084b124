# SPDX-License-Identifier: MIT
# Debian's cross compilers for the triple in TAX2008_TRIPLE, which try_compile
# gets as well; the tests run under qemu-user or Wine (scripts/wine).
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAX2008_TRIPLE)
if(NOT TAX2008_TRIPLE)
  message(FATAL_ERROR "Set TAX2008_TRIPLE, such as aarch64-linux-gnu or i686-w64-mingw32 (as the cross presets do)")
endif()
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${TAX2008_TRIPLE})
if(TAX2008_TRIPLE MATCHES "mingw32$")
  set(CMAKE_SYSTEM_NAME Windows)
  set(tax2008_variant -posix)  # MinGW's POSIX threads, for std::mutex in GoogleTest
  cmake_path(SET wine NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${wine} ${CMAKE_SYSTEM_PROCESSOR})
else()
  set(CMAKE_SYSTEM_NAME Linux)
  string(REPLACE i686 i386 CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CMAKE_C_COMPILER ${TAX2008_TRIPLE}-gcc${tax2008_variant})
set(CMAKE_CXX_COMPILER ${TAX2008_TRIPLE}-g++${tax2008_variant})
set(CMAKE_FIND_ROOT_PATH /usr/${TAX2008_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static executables: qemu-user runs them without a sysroot, and Windows needs
# no DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
