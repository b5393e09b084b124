#include "console.hpp"

#include <istream>
#include <iterator>
#include <limits>
#include <locale>
#include <ostream>
#include <streambuf>
#include <string>

#include <tax/tax_schedule.hpp>

namespace console {
namespace {

// White space as the C locale has it, which is what the extraction skips.
bool is_space(std::istream::int_type c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads a string's characters.
class text_buffer : public std::streambuf {
 public:
  explicit text_buffer(std::string& text) {
    setg(text.data(), text.data(), text.data() + text.size());
  }
};

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

  // The extraction that `in >> income` performs, run over the text alone: the
  // stream's own number parser, with the stream's flags and locale.
  text_buffer number(text);
  std::ios_base::iostate state = std::ios_base::goodbit;
  double income = 0.0;
  std::use_facet<std::num_get<char>>(in.getloc())
      .get(std::istreambuf_iterator<char>(&number), std::istreambuf_iterator<char>(), in, state,
           income);
  if ((state & std::ios_base::failbit) != 0) {
    // On overflow the extraction fails but stores the largest double.
    if (income == std::numeric_limits<double>::max() ||
        income == std::numeric_limits<double>::lowest()) {
      return {0.0, "the income is too large"};
    }
    return {0.0, "the income is not a number"};
  }
  if ((state & std::ios_base::eofbit) == 0) {
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
