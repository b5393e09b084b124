#include <iostream>

#include "console.hpp"

int main() { return console::run(std::cin, std::cout, std::cerr); }
