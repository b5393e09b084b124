// SPDX-License-Identifier: MIT
#include "console.hpp"

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The reader takes the rest of the number's line and nothing of the next,
// on a refusal too, and reads at most max_rest_of_line past the number.
TEST(ReadIncome, TakesTheWholeLineAndNoMore) {
  const std::string long_number(console::max_number_length + 500, '1');
  const std::string long_rest(console::max_rest_of_line, ' ');
  const struct {
    std::string input;
    double income;
    const char* problem;
    std::string rest;
  } cases[] = {
      {"50000\n60000\n", 50000.0, nullptr, "60000\n"},
      {"  12 abc\nnext", 12.0, nullptr, "next"},
      {"12 \t -x", 12.0, nullptr, ""},
      {"\n\n-1.5e3\t", -1500.0, nullptr, ""},
      {"8025\r\n\r\n", 8025.0, nullptr, "\r\n"},
      {"50000 - 60000\nnext", 0.0, "the line holds a second number", "next"},
      {"12 or 13 \nnext", 0.0, "the line holds a second number", "next"},
      {"50 000 and more\nnext", 0.0, "the income has a space inside it", "next"},
      {"abc 12\nnext", 0.0, "the income is not a number", "next"},
      {long_number + "x; echo hi\nnext", 0.0, "the income is longer than 1000 characters", "next"},
      {"5" + long_rest + "\n", 0.0, "the line goes on for more than 64 KiB after the number", "\n"},
      {"5" + long_rest.substr(1) + "\nnext", 5.0, nullptr, "next"},
      {"5" + long_rest + "7", 0.0, "the line goes on for more than 64 KiB after the number", "7"},
      {"5 7" + long_rest + "\n", 0.0, "the income has a space inside it", "  \n"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    const console::reading r = console::read_income(in);
    const std::string shown = c.input.substr(0, 20);
    EXPECT_STREQ(r.problem, c.problem) << shown;
    EXPECT_EQ(r.income, c.income) << shown;
    const std::string rest(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(rest, c.rest) << shown;
  }
}

// A stream that has already failed is not read from at all.
TEST(ReadIncome, RefusesAStreamThatHasFailed) {
  std::istringstream in("50000\n");
  in.setstate(std::ios_base::failbit);
  EXPECT_STREQ(console::read_income(in).problem, "no income was entered");
}

// Decimal incomes with six to nine decimals, half of them lying so close to
// the midpoint between two doubles that a conversion rounding first to x87's
// 64 bits and then to 53 would pick the wrong one. The expected bits are the
// correctly rounded ones, worked out with exact arithmetic. They are read
// in the C locale, and again in one with a decimal comma, as a host program
// that embeds the reader may set.
class DecimalIncomes : public testing::TestWithParam<const char*> {};

TEST_P(DecimalIncomes, RoundCorrectlyInTheHostsLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, GetParam()) == nullptr &&
      std::setlocale(LC_ALL, "German_Germany.1252") == nullptr) {  // Windows' name for it
    const std::string why =
        std::string(GetParam()) + " is not installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
    if (std::getenv("TAX2008_REQUIRE_LOCALES") != nullptr) {
      FAIL() << why;
    }
    GTEST_SKIP() << why;
  }
  std::ifstream file(TAX2008_DECIMAL_INCOMES);
  ASSERT_TRUE(file) << TAX2008_DECIMAL_INCOMES;
  std::string line;
  int rows = 0;
  int wrong = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    const std::size_t space = line.find(' ');
    std::istringstream in(line.substr(0, space));
    const console::reading r = console::read_income(in);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &r.income, sizeof bits);
    ++rows;
    if (r.problem != nullptr || bits != std::stoull(line.substr(space + 1), nullptr, 16)) {
      if (++wrong <= 10) {
        ADD_FAILURE() << line << ": read as " << std::hex << bits;
      }
    }
  }
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_EQ(wrong, 0) << "of " << rows << " rows";
  EXPECT_GE(rows, 2000);
}

INSTANTIATE_TEST_SUITE_P(ReadIncome, DecimalIncomes, testing::Values("C", "de_DE.UTF-8"));

// A failed read looks like the end of input to a stream; the caller's check
// tells them apart, also after part of a number.
TEST(Run, NamesAReadErrorWithItsReason) {
  const std::string read_error =
      std::string("tax2008: cannot read standard input: ") + std::strerror(EIO) + "\n";
  const console::read_error_check failed = [] { return EIO; };
  const console::read_error_check at_end = [] { return 0; };
  const struct {
    const char* input;
    console::read_error_check check;
    std::string err;
  } cases[] = {
      {"5000", failed, read_error}, {"", failed, read_error}, {"5000 \t", failed, read_error},
      {"50000\n", failed, ""},  // the read stopped before the end: nothing to ask
      {"5000", at_end, ""},         {"5000", nullptr, ""},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(console::run(in, out, err, c.check), c.err.empty() ? 0 : 1) << c.input;
    EXPECT_EQ(err.str(), c.err) << c.input;
  }
}

// A stream that fails without a system error gets the plain message.
TEST(Run, NamesAWriteErrorWithoutAReasonWhenThereIsNone) {
  std::istringstream in("50000\n");
  std::ostringstream out;
  std::ostringstream err;
  out.setstate(std::ios_base::badbit);
  errno = 0;
  EXPECT_EQ(console::run(in, out, err), 1);
  EXPECT_EQ(err.str(), "tax2008: cannot write to standard output\n");
}

}  // namespace
