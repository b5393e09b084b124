// SPDX-License-Identifier: MIT
#include "console.hpp"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// What the program leaves unread matters to a script that reads on.
TEST(ReadIncome, StopsBeforeWhatFollowsTheNumber) {
  const struct {
    const char* input;
    double income;
    const char* rest;
  } cases[] = {
      {"50000\n60000\n", 50000.0, "\n60000\n"},
      {"  12 abc", 12.0, "abc"},
      {"12 \t -x", 12.0, "x"},  // a sign is taken to see what follows it
      {"\n\n-1.5e3\t", -1500.0, ""},
      {"8025\r\n", 8025.0, "\r\n"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    const console::reading r = console::read_income(in);
    EXPECT_EQ(r.problem, nullptr) << c.input;
    EXPECT_EQ(r.income, c.income) << c.input;
    const std::string rest(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(rest, c.rest) << c.input;
  }
}

// An endless number is refused after its 1001st character, with the rest
// left unread, so reading stops and memory stays bounded.
TEST(ReadIncome, RefusesAndStopsAfterMaxLength) {
  std::istringstream in(std::string(console::max_number_length + 500, '1'));
  const console::reading r = console::read_income(in);
  ASSERT_STREQ(r.problem, "the income is longer than 1000 characters");
  EXPECT_EQ(in.rdbuf()->in_avail(), 500);
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
// correctly rounded ones, worked out with exact arithmetic.
TEST(ReadIncome, DecimalsRoundCorrectly) {
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
  EXPECT_EQ(wrong, 0) << "of " << rows << " rows";
  EXPECT_GE(rows, 2000);
}

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
