// SPDX-License-Identifier: MIT
#ifndef APP_CONSOLE_HPP
#define APP_CONSOLE_HPP

#include <cstddef>
#include <iosfwd>
#include <string>

namespace console {

// Longest number accepted, so that an endless number cannot grow memory
// without bound.
constexpr std::size_t max_number_length = 1000;

// How much of the line after the number is read, at most: more than any
// terminal holds in a line.
constexpr std::size_t max_rest_of_line = 64 * 1024;

// The income typed, or what was wrong with it; `problem` is null on success.
struct reading {
  double income;
  const char* problem;
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

// Writes the result line for `tax`: "\nYour 2008 tax is: $", the amount and
// a line break, flushed.
void write_result(std::ostream& out, double tax);

// What the error line says after "tax2008: " when reading found `problem`:
// the problem and what to type instead.
std::string refusal(const char* problem);

// Tells why reading stopped at the end of the input: an errno value when the
// read failed, 0 at a plain end. A stream cannot tell the two apart itself.
using read_error_check = int (*)();

// The whole exchange: prompt on `out`, one income from `in`, the tax on
// `out`. Returns the exit status: 0, or 1 after one line on `err`, written
// in one piece.
int run(std::istream& in, std::ostream& out, std::ostream& err,
        read_error_check read_error = nullptr);

}  // namespace console

#endif  // APP_CONSOLE_HPP
