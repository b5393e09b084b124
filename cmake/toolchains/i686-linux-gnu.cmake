# SPDX-License-Identifier: MIT
set(tax2008_triple i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
