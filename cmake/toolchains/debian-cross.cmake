# SPDX-License-Identifier: MIT
# Shared by the toolchain files beside it, for Debian's cross compilers: the
# including file sets CMAKE_SYSTEM_NAME, CMAKE_SYSTEM_PROCESSOR, tax2008_triple
# and, where this machine can run the target's code, tax2008_emulator.
# MinGW's POSIX thread model, for std::mutex in GoogleTest.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(tax2008_variant -posix)
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
if(tax2008_emulator)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${tax2008_emulator})
endif()
