# SPDX-License-Identifier: MIT
# Emscripten, Debian's where it is. Its platform file calls wasm32 "x86",
# which would read as 32-bit x86 and its x87 arithmetic; wasm's is plain
# binary64.
find_program(TAX2008_EMXX em++ HINTS /usr/share/emscripten REQUIRED)
file(REAL_PATH ${TAX2008_EMXX} emxx)
cmake_path(GET emxx PARENT_PATH emscripten_root)
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32)
# Tests run under node. Node 18 and later have fetch(), which the loader of
# Emscripten 3.1.6 then tries on a file name.
find_program(TAX2008_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TAX2008_NODE} --no-experimental-fetch)
include(${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)
# The linker runs Debian's acorn under node, and a node from elsewhere does
# not look for modules where Debian keeps them.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
