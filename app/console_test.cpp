#include "console.hpp"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// What the program leaves unread matters to a script that reads on.
TEST(ReadIncome, StopsAtTheWhiteSpaceAfterTheNumber) {
  struct {
    const char* input;
    double income;
    const char* rest;
  } const cases[] = {
      {"50000\n60000\n", 50000.0, "\n60000\n"},
      {"  12 abc", 12.0, " abc"},
      {"\n\n-1.5e3\t", -1500.0, "\t"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    const console::reading r = console::read_income(in);
    EXPECT_EQ(r.problem, nullptr) << c.input;
    EXPECT_EQ(r.income, c.income) << c.input;
    std::string rest(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(rest, c.rest) << c.input;
  }
}

// An endless number is refused after its 1001st character, with the rest
// left unread, so reading stops and memory stays bounded.
TEST(ReadIncome, RefusesAndStopsAfterMaxLength) {
  std::istringstream in(std::string(console::max_number_length + 500, '1'));
  const console::reading r = console::read_income(in);
  ASSERT_NE(r.problem, nullptr);
  EXPECT_EQ(in.rdbuf()->in_avail(), 500);
}

// A stream that has already failed is not read from at all.
TEST(ReadIncome, RefusesAStreamThatHasFailed) {
  std::istringstream in("50000\n");
  in.setstate(std::ios_base::failbit);
  EXPECT_NE(console::read_income(in).problem, nullptr);
}

}  // namespace
