// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include <console/console.hpp>
#include <tax/tax_schedule.hpp>

namespace console {
namespace {

using traits = std::istream::traits_type;
const auto eof = traits::eof();

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

// A number as number_length defines it, as digits and a power of ten, its
// sign kept with the digits: "-12.5e3" is -125 and 2.
struct decimal {
  std::string digits;
  long exponent;
};

decimal split(const std::string& text) {
  const std::size_t e = text.find_first_of("eE");
  decimal d{text.substr(0, e), 0};
  // Past this size any mantissa of at most max_number_length digits gives 0
  // or an infinity, so the exponent need not grow without bound.
  constexpr long exponent_limit = 100000;
  if (e != std::string::npos) {
    const bool negative = text[e + 1] == '-';
    for (std::size_t i = e + 1; i < text.size(); ++i) {
      if (is_digit(text[i])) {
        d.exponent = std::min(d.exponent * 10 + (text[i] - '0'), exponent_limit);
      }
    }
    d.exponent = negative ? -d.exponent : d.exponent;
  }
  const std::size_t point = d.digits.find('.');
  if (point != std::string::npos) {
    d.exponent -= static_cast<long>(d.digits.size() - point - 1);
    d.digits.erase(point, 1);
  }
  return d;
}

// The number as strtod reads it in every locale: the decimal point taken
// out, since a host program may have set a locale whose point is a comma.
std::string without_point(const decimal& d) { return d.digits + "e" + std::to_string(d.exponent); }

// The number in whole cents, the first digit dropped deciding (halves up, in
// size); past tax::max_cents, one more, so that the worksheets refuse it.
void to_cents(const decimal& d, reading& r) {
  const bool negative = d.digits[0] == '-';
  const std::size_t first = d.digits.find_first_not_of("+-0");
  const std::string digits = first == std::string::npos ? "" : d.digits.substr(first);
  const long shift = d.exponent + 2;  // digits times ten to this are the cents
  const long whole = static_cast<long>(digits.size()) + shift;  // how many digits the cents have
  constexpr long widest = 17;                                   // as many as tax::max_cents
  tax::cents c = 0;
  r.whole_cents = true;
  if (whole > widest) {
    c = tax::max_cents + 1;
    r.whole_cents = false;
  } else if (whole > 0) {
    for (long i = 0; i < whole; ++i) {
      c = c * 10 + (i < static_cast<long>(digits.size()) ? digits[i] - '0' : 0);
    }
    const auto kept = static_cast<std::size_t>(whole);
    if (kept < digits.size()) {
      c += digits[kept] >= '5' ? 1 : 0;
      r.whole_cents = digits.find_first_not_of('0', kept) == std::string::npos;
    }
  } else {
    c = whole == 0 && !digits.empty() && digits[0] >= '5' ? 1 : 0;
    r.whole_cents = digits.empty();
  }
  r.cents = negative ? -c : c;
}

// Reads the rest of the line after the number, line break included, or up
// to the end of the input, keeping none of it, so that nothing typed on the
// line is left for whoever reads next. `c` is its first character, not yet
// taken. Returns what is wrong with the line: a digit in it is a second
// number, or, right after the blanks, a number typed in groups ("50 000",
// "50000 .5"); a line that goes on past max_rest_of_line cannot be checked.
problem read_rest_of_line(std::istream& in, traits::int_type c) {
  std::streambuf& buf = *in.rdbuf();
  problem found = problem::none;
  enum { blanks, point, other } seen = blanks;  // what came since the number
  for (std::size_t taken = 0; c != eof; ++taken) {
    if (taken == max_rest_of_line) {
      return found != problem::none ? found : problem::line_too_long;
    }
    if (c == '\n') {
      buf.sbumpc();  // and no further: the next line may not be typed yet
      return found;
    }
    if (found == problem::none && is_digit(c)) {
      found = seen == other ? problem::second_number : problem::space_inside;
    }
    const bool blank = c == ' ' || c == '\t';
    if (seen == blanks && c == '.') {
      seen = point;
    } else if (seen != blanks || !blank) {
      seen = other;
    }
    c = buf.snextc();
  }
  in.setstate(std::ios_base::eofbit);
  return found;
}

// A refusal still takes the rest of the line.
reading refused(std::istream& in, traits::int_type c, problem p) {
  read_rest_of_line(in, c);
  return {0.0, p};
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
    return {0.0, problem::no_income};
  }
  std::streambuf& buf = *in.rdbuf();
  auto c = buf.sgetc();
  while (c != eof && is_space(c)) {
    c = buf.snextc();
  }
  std::string text;
  while (c != eof && !is_space(c)) {
    if (text.size() == max_number_length) {
      return refused(in, c, problem::too_long);
    }
    text.push_back(traits::to_char_type(c));
    c = buf.snextc();
  }
  if (text.empty()) {
    in.setstate(std::ios_base::eofbit);
    return {0.0, problem::no_income};
  }
  const std::size_t length = number_length(text);
  if (length == 0) {
    return refused(in, c, problem::not_a_number);
  }
  if (length < text.size()) {
    return refused(in, c, problem::runs_into_other);
  }

  // The text is a decimal number now, which strtod rounds correctly: too
  // small a number gives 0 or a subnormal, too large a one an infinity (the
  // only way to get one here). ERANGE from an underflow is no news to the
  // caller, whose errno must still tell of a failed write.
  const decimal number = split(text);
  const std::string digits = without_point(number);
  const int saved_errno = errno;
  char* end = nullptr;
  const double income = std::strtod(digits.c_str(), &end);
  errno = saved_errno;
  if (end != digits.c_str() + digits.size()) {
    return refused(in, c, problem::not_converted);  // GCOVR_EXCL_LINE: a broken strtod
  }
  if (std::isinf(income)) {
    return refused(in, c, problem::out_of_range);
  }
  const problem found = read_rest_of_line(in, c);
  if (found != problem::none) {
    return {0.0, found};
  }
  reading r{income, found};
  to_cents(number, r);
  return r;
}

std::ostream& write_amount(std::ostream& out, double amount) {
  out.setf(std::ios_base::fixed);
  out.setf(std::ios_base::showpoint);
  out.precision(2);
  return out << amount;
}

std::string cents_text(tax::cents amount) {
  const auto size = static_cast<std::uint64_t>(amount < 0 ? -(amount + 1) : amount) + (amount < 0);
  std::string hundredths = std::to_string(size % 100);
  return (amount < 0 ? "-" : "") + std::to_string(size / 100) + (size % 100 < 10 ? ".0" : ".") +
         hundredths;
}

void write_result(std::ostream& out, double tax) {
  write_amount(out << result_lead_in, tax) << std::endl;
}

std::string words(problem p, const std::string& what) {
  switch (p) {
    case problem::none:
      break;
    case problem::no_income:
      return "no income was entered";
    case problem::not_a_number:
      return "the " + what + " is not a number";
    case problem::runs_into_other:
      return "the number runs into other characters";
    case problem::too_long:
      return "the " + what + " is longer than " + std::to_string(max_number_length) + " characters";
    case problem::out_of_range:
      return "the " + what + " is out of range";
    case problem::space_inside:
      return "the " + what + " has a space inside it";
    case problem::second_number:
      return "the line holds a second number";
    case problem::line_too_long:
      return "the line goes on for more than " + std::to_string(max_rest_of_line / 1024) +
             " KiB after the number";
    case problem::not_converted:  // GCOVR_EXCL_START: only a broken strtod
      return "the number could not be converted";
      // GCOVR_EXCL_STOP
  }
  return "";
}

std::string refusal(problem p, const std::string& what) { return words(p, what) + advice; }

int run(std::istream& in, std::ostream& out, std::ostream& err, read_error_check read_error) {
  out << prompt;
  const reading typed = read_income(in);
  // A failed read looks like the end of input to the stream: ask first.
  const int in_error = in.eof() && read_error != nullptr ? read_error() : 0;
  if (in_error != 0) {
    return report(err, system_reason("cannot read standard input", in_error));
  }
  if (typed.problem != problem::none) {
    return report(err, refusal(typed.problem));
  }
  write_result(out, tax::compute_tax(typed.income));
  if (!out) {  // errno is still the failed write's
    return report(err, system_reason("cannot write to standard output", errno));
  }
  return 0;
}

}  // namespace console
