# SPDX-License-Identifier: MIT
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(tax2008_triple i686-linux-gnu)
set(tax2008_emulator qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
