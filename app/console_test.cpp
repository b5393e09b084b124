// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include <console/console.hpp>
#include <gtest/gtest.h>

namespace {

const std::string prompt = "Please enter your 2008 taxable income: ";
const std::string advice =
    "; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign";

// What one exchange of the console wrote, on string streams.
struct exchange {
  std::string out;
  std::string err;
  int exit_status;
};

exchange run(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = console::run(in, out, err);
  return {out.str(), err.str(), status};
}

// The console cases file: each input with the amount printed or the fault
// named, through the very code main runs. The page's tests read it too.
std::string unescape(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n':
        bytes += '\n';
        break;
      case 't':
        bytes += '\t';
        break;
      case 'r':
        bytes += '\r';
        break;
      case 'a':
        bytes += '\a';
        break;
      case 'x':
        bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
        break;
      default:
        bytes += text[i];
    }
  }
  return bytes;
}

// Each case of the file: an income prints its amount and exits 0; anything
// else gives the prompt and nothing more on standard output, one line on
// standard error that names this very fault, and status 1: never an amount
// for something that is not an income. One test, so that a target where each
// test is a process of its own (Wine, qemu) starts one.
TEST(Console, CasesFile) {
  std::ifstream file(TAX2008_CONSOLE_CASES);
  ASSERT_TRUE(file) << TAX2008_CONSOLE_CASES;
  const std::string refusal = "refused: ";
  int cases[2] = {0, 0};  // taxed, refused
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    if (line.empty() || line[0] == '#' || tab2 == std::string::npos) {
      continue;
    }
    SCOPED_TRACE(line.substr(0, tab1));
    const exchange r = run(unescape(line.substr(tab1 + 1, tab2 - tab1 - 1)));
    std::string expected = line.substr(tab2 + 1);
    const bool refused = expected.rfind(refusal, 0) == 0;
    ++cases[refused ? 1 : 0];
    if (refused) {
      EXPECT_EQ(r.out, prompt);
      EXPECT_EQ(r.err, "tax2008: " + expected.substr(refusal.size()) + advice + "\n");
      EXPECT_EQ(r.exit_status, 1);
    } else {
      EXPECT_EQ(r.out, prompt + "\nYour 2008 tax is: $" + expected.append("\n"));
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.exit_status, 0);
    }
  }
  // Guards against a case file that fails to load and so tests nothing.
  EXPECT_GE(cases[0], 30);
  EXPECT_GE(cases[1], 30);
}

// Whatever the bytes, one of two outcomes, and never an echo of the input.
TEST(Console, RandomBytes) {
  std::mt19937 random(2008);
  for (int i = 0; i < 50; ++i) {
    std::string input(static_cast<std::size_t>(random() % 64), '\0');
    std::generate(input.begin(), input.end(), [&] { return static_cast<char>(random()); });
    if (i % 2 == 0) {
      input.insert(0, "1");  // also numbers run into binary junk
    }
    const exchange r = run(input);
    if (r.exit_status == 0) {
      EXPECT_EQ(r.out.rfind(prompt + "\nYour 2008 tax is: $", 0), 0U);
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.out, prompt);
      ASSERT_EQ(r.err.rfind("tax2008: ", 0), 0U) << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
      EXPECT_TRUE(std::all_of(r.err.begin(), r.err.end() - 1, [](char c) {
        return c >= ' ' && c <= '~';
      })) << r.err;
    }
  }
}

// The reader takes the rest of the number's line and nothing of the next,
// on a refusal too, and reads at most max_rest_of_line past the number.
TEST(ReadIncome, TakesTheWholeLineAndNoMore) {
  const std::string long_number(console::max_number_length + 500, '1');
  const std::string long_rest(console::max_rest_of_line, ' ');
  const struct {
    std::string input;
    double income;
    console::problem problem;
    std::string rest;
  } cases[] = {
      {"50000\n60000\n", 50000.0, console::problem::none, "60000\n"},
      {"  12 abc\nnext", 12.0, console::problem::none, "next"},
      {"12 \t -x", 12.0, console::problem::none, ""},
      {"\n\n-1.5e3\t", -1500.0, console::problem::none, ""},
      {"8025\r\n\r\n", 8025.0, console::problem::none, "\r\n"},
      {"50000 - 60000\nnext", 0.0, console::problem::second_number, "next"},
      {"12 or 13 \nnext", 0.0, console::problem::second_number, "next"},
      {"50 000 and more\nnext", 0.0, console::problem::space_inside, "next"},
      {"abc 12\nnext", 0.0, console::problem::not_a_number, "next"},
      {long_number + "x; echo hi\nnext", 0.0, console::problem::too_long, "next"},
      {"5" + long_rest + "\n", 0.0, console::problem::line_too_long, "\n"},
      {"5" + long_rest.substr(1) + "\nnext", 5.0, console::problem::none, "next"},
      {"5" + long_rest + "7", 0.0, console::problem::line_too_long, "7"},
      {"5 7" + long_rest + "\n", 0.0, console::problem::space_inside, "  \n"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    const console::reading r = console::read_income(in);
    const std::string shown = c.input.substr(0, 20);
    EXPECT_EQ(r.problem, c.problem) << shown;
    EXPECT_EQ(console::words(r.problem).empty(), r.problem == console::problem::none);
    EXPECT_EQ(r.income, c.income) << shown;
    const std::string rest(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(rest, c.rest) << shown;
  }
}

// The same number exactly in cents: from the digits, never the double; the
// first digit dropped rounds halves up, in size.
TEST(ReadIncome, CentsFromTheDigits) {
  const struct {
    std::string input;
    tax::cents cents;
    bool whole;
  } cases[] = {
      {"50000", 5000000, true},
      {"357700.10", 35770010, true},
      {"0.005", 1, false},
      {"0.00499999999999999999999", 0, false},
      {"12.345", 1235, false},
      {"-12.345", -1235, false},
      {"-0", 0, true},
      {"+.5e5", 5000000, true},
      {"5000000e-2", 5000000, true},
      {"1.23456e3", 123456, true},
      {"1e-400", 0, false},
      {"0.0000", 0, true},
      {"999999999999999.99", tax::max_cents, true},
      {"999999999999999.995", tax::max_cents + 1, false},
      {"1e300", tax::max_cents + 1, false},
      {"-1e20", -tax::max_cents - 1, false},
      {"00000000000000000000000000000000000000000000042.50", 4250, true},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    const console::reading r = console::read_income(in);
    EXPECT_EQ(std::make_tuple(r.problem, r.cents, r.whole_cents),
              std::make_tuple(console::problem::none, c.cents, c.whole))
        << c.input;
  }
}

TEST(CentsText, AsTheProgramPrintsMoney) {
  const std::pair<tax::cents, std::string> cases[] = {{885000, "8850.00"},
                                                      {5, "0.05"},
                                                      {-5, "-0.05"},
                                                      {0, "0.00"},
                                                      {1234, "12.34"},
                                                      {tax::max_cents, "999999999999999.99"},
                                                      {INT64_MIN, "-92233720368547758.08"}};
  for (const auto& [cents, text] : cases) {
    EXPECT_EQ(console::cents_text(cents), text);
  }
}

// A stream that has already failed is not read from at all.
TEST(ReadIncome, RefusesAStreamThatHasFailed) {
  std::istringstream in("50000\n");
  in.setstate(std::ios_base::failbit);
  EXPECT_EQ(console::read_income(in).problem, console::problem::no_income);
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
    if (r.problem != console::problem::none ||
        bits != std::stoull(line.substr(space + 1), nullptr, 16)) {
      if (++wrong <= 10) {
        ADD_FAILURE() << line << ": read as " << std::hex << bits;
      }
    }
  }
  EXPECT_NE(std::setlocale(LC_ALL, before.c_str()), nullptr);
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
