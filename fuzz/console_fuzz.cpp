// SPDX-License-Identifier: MIT
// Arbitrary bytes as standard input to the very code main runs. Beyond
// crashes, it checks each outcome against a second reading of the same
// bytes, written another way: the number's form as a regular expression.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>

#include <tax/tax_schedule.hpp>

#include "console.hpp"

namespace {

const std::string prompt = "Please enter your 2008 taxable income: ";

void require(bool ok) {
  if (!ok) {
    std::abort();
  }
}

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string printed(double tax) {
  std::ostringstream out;
  out.setf(std::ios_base::fixed);
  out.setf(std::ios_base::showpoint);
  out.precision(2);
  out << tax;
  return out.str();
}

// What is wrong with `input` as the program's standard input, or "" if
// nothing is, with the income it holds.
std::string problem_of(const std::string& input, double& income) {
  static const std::regex number("[+-]?([0-9]+[.]?[0-9]*|[.][0-9]+)([eE][+-]?[0-9]+)?");
  static const std::regex starts_as_number("[+-]?[.]?[0-9].*");
  std::size_t start = 0;
  while (start < input.size() && is_space(input[start])) {
    ++start;
  }
  std::size_t end = start;
  while (end < input.size() && !is_space(input[end])) {
    ++end;
  }
  const std::string token = input.substr(start, end - start);
  if (token.empty()) {
    return "no income was entered";
  }
  if (token.size() > console::max_number_length) {
    return "the income is longer than 1000 characters";
  }
  if (!std::regex_match(token, number)) {
    return std::regex_match(token, starts_as_number) ? "the number runs into other characters"
                                                     : "the income is not a number";
  }
  income = std::strtod(token.c_str(), nullptr);
  if (std::isinf(income)) {
    return "the income is out of range";
  }
  // The rest of the line, as far as the reader may read it.
  const std::string rest = input.substr(end, console::max_rest_of_line + 1);
  const std::size_t line_end = std::min(rest.find('\n'), console::max_rest_of_line);
  const std::string line = rest.substr(0, line_end);
  static const std::regex grouped("[ \t]*[.]?[0-9]");
  if (std::regex_search(line, grouped, std::regex_constants::match_continuous)) {
    return "the income has a space inside it";
  }
  if (line.find_first_of("0123456789") != std::string::npos) {
    return "the line holds a second number";
  }
  if (line_end == console::max_rest_of_line && rest.size() > line_end) {
    return "the line goes on for more than 64 KiB after the number";
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = console::run(in, out, err);

  double income = 0.0;
  const std::string problem = problem_of(input, income);
  if (problem.empty()) {
    const double tax = tax::compute_tax(income);
    require(status == 0 && err.str().empty());
    require(!std::isnan(tax) && tax >= 0.0);
    require(out.str() == prompt + "\nYour 2008 tax is: $" + printed(tax) + "\n");
  } else {
    require(status == 1 && out.str() == prompt);
    require(err.str().rfind("tax2008: " + problem + "; type a plain number", 0) == 0);
    require(err.str().find('\n') == err.str().size() - 1);
  }
  return 0;
}
