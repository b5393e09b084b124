// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstdio>
#include <iostream>

#include <console/console.hpp>

namespace {

// std::cin reads through C stdio, which remembers a read that failed.
int stdin_error() { return std::ferror(stdin) != 0 ? errno : 0; }

}  // namespace

int main() { return console::run(std::cin, std::cout, std::cerr, stdin_error); }
