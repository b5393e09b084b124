# SPDX-License-Identifier: MIT
set(tax2008_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
