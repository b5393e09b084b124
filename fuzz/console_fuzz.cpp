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

#include <console/console.hpp>
#include <tax/tax_schedule.hpp>

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
  console::write_amount(out, tax);
  return out.str();
}

// What is wrong with `input` as the program's standard input, if anything,
// with the income it holds.
console::problem problem_of(const std::string& input, double& income) {
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
    return console::problem::no_income;
  }
  if (token.size() > console::max_number_length) {
    return console::problem::too_long;
  }
  if (!std::regex_match(token, number)) {
    return std::regex_match(token, starts_as_number) ? console::problem::runs_into_other
                                                     : console::problem::not_a_number;
  }
  income = std::strtod(token.c_str(), nullptr);
  if (std::isinf(income)) {
    return console::problem::out_of_range;
  }
  // The rest of the line, as far as the reader may read it.
  const std::string rest = input.substr(end, console::max_rest_of_line + 1);
  const std::size_t line_end = std::min(rest.find('\n'), console::max_rest_of_line);
  const std::string line = rest.substr(0, line_end);
  static const std::regex grouped("[ \t]*[.]?[0-9]");
  if (std::regex_search(line, grouped, std::regex_constants::match_continuous)) {
    return console::problem::space_inside;
  }
  if (line.find_first_of("0123456789") != std::string::npos) {
    return console::problem::second_number;
  }
  if (line_end == console::max_rest_of_line && rest.size() > line_end) {
    return console::problem::line_too_long;
  }
  return console::problem::none;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = console::run(in, out, err);

  double income = 0.0;
  const console::problem problem = problem_of(input, income);
  if (problem == console::problem::none) {
    const double tax = tax::compute_tax(income);
    require(status == 0 && err.str().empty());
    require(!std::isnan(tax) && tax >= 0.0);
    require(out.str() == prompt + "\nYour 2008 tax is: $" + printed(tax) + "\n");
  } else {
    require(status == 1 && out.str() == prompt);
    require(err.str() == "tax2008: " + console::refusal(problem) + "\n");
  }
  return 0;
}
