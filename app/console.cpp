#include "console.hpp"

#include <istream>
#include <limits>
#include <locale>
#include <ostream>
#include <sstream>
#include <string>
#include <tax/tax_schedule.hpp>

namespace console {
namespace {

const char prompt[] = "Please enter your 2008 taxable income: ";
const char result_lead_in[] = "\nYour 2008 tax is: $";
const char what_to_type[] =
    "; type a plain number such as 50000 or 50000.00, without commas or a dollar sign";

}  // namespace

reading read_income(std::istream& in) {
  // The sentry flushes the tied output stream, so the prompt is on screen
  // before we wait. White space is skipped by hand below: a sentry that
  // skipped it would, like the rest of this function, read characters one by one.
  const std::istream::sentry ok(in, /*noskipws=*/true);
  if (!ok) {
    return {0.0, "no income was entered"};
  }
  using traits = std::istream::traits_type;
  const auto& ctype = std::use_facet<std::ctype<char>>(std::locale::classic());
  const auto is_space = [&ctype](traits::int_type c) {
    return ctype.is(std::ctype_base::space, traits::to_char_type(c));
  };
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

  std::istringstream number(text);
  number.imbue(std::locale::classic());
  double income = 0.0;
  number >> income;
  if (number.fail()) {
    // On overflow the extraction fails but stores the largest double.
    if (income == std::numeric_limits<double>::max() ||
        income == std::numeric_limits<double>::lowest()) {
      return {0.0, "the income is too large"};
    }
    return {0.0, "the income is not a number"};
  }
  if (!number.eof()) {
    return {0.0, "the number runs into other characters"};  // "50,000", "12abc"
  }
  return {income, nullptr};
}

int run(std::istream& in, std::ostream& out, std::ostream& err) {
  out << prompt;
  const reading typed = read_income(in);
  if (typed.problem != nullptr) {
    err << "tax2008: " << typed.problem << what_to_type << '\n';
    return 1;
  }
  out.setf(std::ios_base::fixed);
  out.setf(std::ios_base::showpoint);
  out.precision(2);
  out << result_lead_in << tax::compute_tax(typed.income) << std::endl;
  if (!out) {
    err << "tax2008: cannot write to standard output\n";
    return 1;
  }
  return 0;
}

}  // namespace console
