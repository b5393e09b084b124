// SPDX-License-Identifier: MIT
#ifndef CONSOLE_CONSOLE_HPP
#define CONSOLE_CONSOLE_HPP

#include <cstddef>
#include <iosfwd>
#include <string>

#include <tax/filing_figure.hpp>

namespace console {

// Longest number accepted, so that an endless number cannot grow memory
// without bound.
constexpr std::size_t max_number_length = 1000;

// How much of the line after the number is read, at most: more than any
// terminal holds in a line.
constexpr std::size_t max_rest_of_line = std::size_t{64} * 1024;

// What can be wrong with what was typed, or with reading it.
enum class problem {
  none,
  no_income,        // nothing but white space before the end of input
  not_a_number,     // "abc", "$50000", "inf", "-"
  runs_into_other,  // "50,000", "12abc", "0x1A"
  too_long,         // more than max_number_length characters
  out_of_range,     // past the largest double: "1e400"
  space_inside,     // a digit right after the blanks: "50 000", "50000 .5"
  second_number,    // another digit on the line: "50000 - 60000"
  line_too_long,    // more than max_rest_of_line after the number
  not_converted,    // the C library stopped short of the number's end
};

// What the error line says `p` is: "the income is not a number", ... For
// another amount, `what` names it in place of the income.
std::string words(problem p, const std::string& what = "income");

// The income typed, or what was wrong with it. With the double, the same
// number exactly in whole cents, rounded halves up where it had more
// decimals; past tax::max_cents it is one more, with its sign.
struct reading {
  double income;
  console::problem problem;
  tax::cents cents = 0;
  bool whole_cents = true;  // whether `cents` is the number exactly
};

// Skips white space, then reads one number: an optional sign, digits with at
// most one decimal point (at least one digit), an optional exponent, ending
// at white space or at the end of input. The grammar is checked here, never
// left to a library's number parser, so every library and locale accepts the
// same inputs. Then it reads the rest of the line, up to and including the
// line break, and refuses the line if a digit is in it ("50 000", "50000 -
// 60000", "12 or 13"); words are allowed ("12 abc"). The next line is never
// read. A refused line is read to its end too, so that nothing typed on it
// is left over; either way at most max_rest_of_line characters past the
// number are read.
reading read_income(std::istream& in);

// Writes `amount` as the program prints money: fixed-point with exactly two
// decimals, no grouping. Leaves `out` in that notation, as the program's
// standard output stays for the rest of the run.
std::ostream& write_amount(std::ostream& out, double amount);

// Whole cents as the program prints money: "8850.00", "-0.05".
std::string cents_text(tax::cents amount);

// Writes the result line for `tax`: "\nYour 2008 tax is: $", the amount and
// a line break, flushed.
void write_result(std::ostream& out, double tax);

// What the error line says after "tax2008: " when reading found `p`: the
// problem and what to type instead.
std::string refusal(problem p, const std::string& what = "income");

// Tells why reading stopped at the end of the input: an errno value when the
// read failed, 0 at a plain end. A stream cannot tell the two apart itself.
using read_error_check = int (*)();

// The whole exchange: prompt on `out`, one income from `in`, the tax on
// `out`. Returns the exit status: 0, or 1 after one line on `err`, written
// in one piece.
int run(std::istream& in, std::ostream& out, std::ostream& err,
        read_error_check read_error = nullptr);

}  // namespace console

#endif  // CONSOLE_CONSOLE_HPP
