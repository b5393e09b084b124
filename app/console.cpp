// SPDX-License-Identifier: MIT
#include "console.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include <tax/tax_schedule.hpp>

namespace console {
namespace {

using traits = std::istream::traits_type;

// White space as the C locale has it; no locale is consulted.
bool is_space(traits::int_type c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(traits::int_type c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of `text` that is a number, 0 if none is.
std::size_t number_length(const std::string& text) {
  std::size_t i = 0;
  const auto skip_digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && is_digit(text[i])) {
      ++i;
    }
    return i - start;
  };
  const auto skip_one_of = [&](std::string_view chars) {
    const bool found = i < text.size() && chars.find(text[i]) != std::string_view::npos;
    i += found ? 1 : 0;
    return found;
  };
  skip_one_of("+-");
  std::size_t digits = skip_digits();
  if (skip_one_of(".")) {
    digits += skip_digits();
  }
  if (digits == 0) {
    return 0;
  }
  const std::size_t mantissa_end = i;
  if (skip_one_of("eE")) {
    skip_one_of("+-");
    if (skip_digits() > 0) {
      return i;
    }
  }
  return mantissa_end;
}

const char prompt[] = "Please enter your 2008 taxable income: ";
const char result_lead_in[] = "\nYour 2008 tax is: $";
const char advice[] =
    "; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign";

// Writes one error line in a single write, so that it cannot interleave with
// another writer's.
int report(std::ostream& err, const std::string& what) {
  const std::string line = "tax2008: " + what + "\n";
  err.write(line.data(), static_cast<std::streamsize>(line.size()));
  err.flush();
  return 1;
}

// "what: the system's reason", or "what" where there is no reason.
std::string system_reason(const char* what, int error) {
  std::string text = what;
  if (error != 0) {
    text += ": ";
    text += std::strerror(error);
  }
  return text;
}

}  // namespace

reading read_income(std::istream& in) {
  // The sentry flushes the tied output stream, so the prompt is on screen
  // before we wait. It does not skip white space: that is done below.
  const std::istream::sentry ok(in, /*noskipws=*/true);
  if (!ok) {
    return {0.0, "no income was entered"};
  }
  std::streambuf& buf = *in.rdbuf();
  const auto eof = traits::eof();
  auto c = buf.sgetc();
  while (c != eof && is_space(c)) {
    c = buf.snextc();
  }
  std::string text;
  while (c != eof && !is_space(c)) {
    if (text.size() == max_number_length) {
      return {0.0, "the income is longer than 1000 characters"};
    }
    text.push_back(traits::to_char_type(c));
    c = buf.snextc();
  }
  if (c == eof) {
    in.setstate(std::ios_base::eofbit);
  }
  if (text.empty()) {
    return {0.0, "no income was entered"};
  }
  const std::size_t length = number_length(text);
  if (length == 0) {
    return {0.0, "the income is not a number"};  // "abc", "$50000", "inf", "-"
  }
  if (length < text.size()) {
    return {0.0, "the number runs into other characters"};  // "50,000", "12abc", "0x1A"
  }

  // The text is a decimal number now, which strtod rounds correctly: too
  // small a number gives 0 or a subnormal, too large a one an infinity (the
  // only way to get one here). ERANGE from an underflow is no news to the
  // caller, whose errno must still tell of a failed write.
  const int saved_errno = errno;
  const double income = std::strtod(text.c_str(), nullptr);
  errno = saved_errno;
  if (std::isinf(income)) {
    return {0.0, "the income is out of range"};
  }

  // A second number on the line must not leave the first taxed alone: a
  // digit after the spaces and tabs is a number typed in groups ("50 000",
  // "50000 .5"), a sign before one a number of its own ("50000 -60000"). A
  // sign and a point are taken to see what follows them.
  while (c == ' ' || c == '\t') {
    c = buf.snextc();
  }
  const bool signed_number = c == '+' || c == '-';
  if (signed_number) {
    c = buf.snextc();
  }
  if (c == '.') {
    c = buf.snextc();
  }
  if (c == eof) {
    in.setstate(std::ios_base::eofbit);
  }
  if (is_digit(c)) {
    return {0.0,
            signed_number ? "the line holds a second number" : "the income has a space inside it"};
  }
  return {income, nullptr};
}

int run(std::istream& in, std::ostream& out, std::ostream& err, read_error_check read_error) {
  out << prompt;
  const reading typed = read_income(in);
  // A failed read looks like the end of input to the stream: ask first.
  const int in_error = in.eof() && read_error != nullptr ? read_error() : 0;
  if (in_error != 0) {
    return report(err, system_reason("cannot read standard input", in_error));
  }
  if (typed.problem != nullptr) {
    return report(err, typed.problem + std::string(advice));
  }
  out.setf(std::ios_base::fixed);
  out.setf(std::ios_base::showpoint);
  out.precision(2);
  out << result_lead_in << tax::compute_tax(typed.income) << std::endl;
  if (!out) {  // errno is still the failed write's
    return report(err, system_reason("cannot write to standard output", errno));
  }
  return 0;
}

}  // namespace console
