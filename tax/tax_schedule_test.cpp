// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <tax/tax_schedule.hpp>

namespace {

std::uint64_t bits_of(double x) {
  std::uint64_t b = 0;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

double from_bits(std::uint64_t b) {
  double x = 0.0;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// As the program prints it: fixed, with two decimals.
std::string printed(double tax) {
  std::ostringstream out;
  out.setf(std::ios_base::fixed);
  out.setf(std::ios_base::showpoint);
  out.precision(2);
  out << tax;
  return out.str();
}

double next_up(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }

// Each row of the golden file: income bits, result bits, printed amount,
// worked out independently with exact arithmetic rounded once per operation.
TEST(TaxSchedule, MatchesGoldenFileBitForBit) {
  std::ifstream golden(TAX2008_GOLDEN_FILE);
  ASSERT_TRUE(golden) << TAX2008_GOLDEN_FILE;
  std::string line;
  int rows = 0;
  int wrong = 0;
  while (std::getline(golden, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::istringstream row(line);
    std::string income_hex;
    std::string result_hex;
    std::string amount;
    ASSERT_TRUE(row >> income_hex >> result_hex >> amount) << line;
    const double income = from_bits(std::stoull(income_hex, nullptr, 16));
    const double want = from_bits(std::stoull(result_hex, nullptr, 16));
    const double got = tax::compute_tax(income);
    ++rows;
    if (std::isnan(want)) {
      EXPECT_TRUE(std::isnan(got)) << line;
      continue;
    }
    if (bits_of(got) != bits_of(want) || printed(got) != amount) {
      if (++wrong <= 10) {
        ADD_FAILURE() << "income " << income_hex << ": got " << std::hexfloat << got << " ("
                      << printed(got) << "), want " << want << " (" << amount << ")";
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "of " << rows << " rows";
  EXPECT_GE(rows, 50000);
}

// The schedule is continuous: at each bound both neighbouring formulas give
// the next bracket's base tax, and the first income above it adds a little.
TEST(TaxSchedule, BracketsMeetAtEveryThreshold) {
  for (std::size_t i = 0; i + 1 < tax::rate_schedule.size(); ++i) {
    const tax::bracket& below = tax::rate_schedule[i];
    const tax::bracket& above = tax::rate_schedule[i + 1];
    SCOPED_TRACE(below.upper_bound);
    EXPECT_EQ(above.lower_bound, below.upper_bound);
    EXPECT_EQ(tax::compute_tax(below.upper_bound), above.base_tax);
    EXPECT_GE(tax::compute_tax(next_up(below.upper_bound)), above.base_tax);
  }
}

// Walks every double in a window around each threshold and a random sample
// elsewhere: the tax never goes negative and never falls as income rises.
TEST(TaxSchedule, NeverNegativeAndNeverDecreasing) {
  // Returns where the walk ended.
  const auto check_from = [](double x, int steps) {
    double previous = tax::compute_tax(x);
    for (int i = 0; i < steps; ++i) {
      const double next = next_up(x);
      const double tax = tax::compute_tax(next);
      if (!(tax >= 0.0) || std::signbit(tax) || tax < previous) {
        ADD_FAILURE() << std::hexfloat << next << " gives " << tax << " after " << previous;
        return x;
      }
      previous = tax;
      x = next;
    }
    return x;
  };
  // From negative subnormals through -0.0 to positive ones, and on from the
  // subnormals into the normal doubles.
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(check_from(-500 * tiny, 1000), 500 * tiny);
  const double smallest_normal = std::numeric_limits<double>::min();
  EXPECT_GT(check_from(smallest_normal - 500 * tiny, 1000), smallest_normal);
  for (const tax::bracket& row : tax::rate_schedule) {
    if (std::isfinite(row.upper_bound)) {
      check_from(row.upper_bound - 1e-6, 2 * 1000 * 1000);
    }
  }
  std::mt19937_64 random(2008);
  std::uniform_real_distribution<double> income(-1000.0, 2e6);
  for (int i = 0; i < 200000; ++i) {
    check_from(income(random), 1);
  }
}

TEST(TaxSchedule, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(tax::compute_tax(inf), inf);
  EXPECT_EQ(bits_of(tax::compute_tax(-inf)), bits_of(0.0));
  EXPECT_EQ(bits_of(tax::compute_tax(-0.0)), bits_of(0.0));
  EXPECT_TRUE(std::isnan(tax::compute_tax(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
