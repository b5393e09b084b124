set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(tax2008_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
