# SPDX-License-Identifier: MIT
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(tax2008_triple x86_64-w64-mingw32)
cmake_path(SET tax2008_wine NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine")
set(tax2008_emulator ${tax2008_wine} 64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
