#ifndef APP_CONSOLE_HPP
#define APP_CONSOLE_HPP

#include <cstddef>
#include <iosfwd>

namespace console {

// Longest number accepted. The standard extraction keeps every digit it
// sees, so an endless number would otherwise grow memory without bound.
constexpr std::size_t max_number_length = 1000;

// The income typed, or why none could be read; `problem` is null on success.
struct reading {
  double income;
  const char* problem;
};

// Skips white space, then reads one number with the standard extraction of a
// double. The number must end at white space or at the end of input; what
// follows it is left unread.
reading read_income(std::istream& in);

// The whole exchange: prompt on `out`, one income from `in`, the tax on
// `out`. Returns the exit status: 0, or 1 after one line on `err`.
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace console

#endif  // APP_CONSOLE_HPP
