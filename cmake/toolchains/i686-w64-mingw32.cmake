# SPDX-License-Identifier: MIT
set(tax2008_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
