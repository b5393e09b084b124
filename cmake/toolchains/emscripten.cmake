# SPDX-License-Identifier: MIT
# Debian's emscripten. Its platform file calls wasm32 "x86", which would read
# as 32-bit x86 and its x87 arithmetic; wasm's is plain binary64.
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32)
# Tests run under node. Node 18 and later have fetch(), which the loader of
# Emscripten 3.1.6 then tries on a file name.
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-experimental-fetch)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# The linker runs Debian's acorn under node, and a node from elsewhere does
# not look for modules where Debian keeps them.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
