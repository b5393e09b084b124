// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

#include <console/console.hpp>
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

// As the program prints it.
std::string printed(double tax) {
  std::ostringstream out;
  console::write_amount(out, tax);
  return out.str();
}

double next_up(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }

tax::filing_status status_named(const std::string& name) {
  const std::optional<tax::filing_status> status = tax::filing_status_named(name);
  if (!status) {
    throw std::invalid_argument("no filing status " + name);
  }
  return *status;
}

const tax::filing_status all_statuses[] = {
    tax::filing_status::single, tax::filing_status::married_filing_jointly,
    tax::filing_status::married_filing_separately, tax::filing_status::head_of_household};

// Each row of the golden file: status, income bits, result bits, printed
// amount, worked out independently with exact arithmetic rounded once per
// operation. The single filer's rows also hold for compute_tax(income).
TEST(TaxSchedule, MatchesGoldenFileBitForBit) {
  std::ifstream golden(TAX2008_GOLDEN_FILE);
  ASSERT_TRUE(golden) << TAX2008_GOLDEN_FILE;
  std::string line;
  std::map<std::string, int> rows;
  int wrong = 0;
  while (std::getline(golden, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::istringstream row(line);
    std::string status;
    std::string income_hex;
    std::string result_hex;
    std::string amount;
    ASSERT_TRUE(row >> status >> income_hex >> result_hex >> amount) << line;
    const double income = from_bits(std::stoull(income_hex, nullptr, 16));
    const double want = from_bits(std::stoull(result_hex, nullptr, 16));
    const double got = tax::compute_tax(income, status_named(status));
    const double single = tax::compute_tax(income);
    ++rows[status];
    if (std::isnan(want)) {
      EXPECT_TRUE(std::isnan(got)) << line;
      continue;
    }
    if (bits_of(got) != bits_of(want) || printed(got) != amount ||
        (status == "single" && bits_of(single) != bits_of(want))) {
      if (++wrong <= 10) {
        ADD_FAILURE() << line << ": got " << std::hexfloat << got << " (" << printed(got)
                      << "), want " << want << " (" << amount << ")";
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GE(rows["single"], 50000);
  for (const tax::filing_status status : all_statuses) {
    EXPECT_GE(rows[std::string(tax::name_of(status))], 20000) << tax::name_of(status);
  }
}

// The schedules are continuous: at each bound both neighbouring formulas
// give the next bracket's base tax, and the first income above it adds a
// little. Each stored base amount is the one below plus that bracket's
// width at its rate, exactly in cents; the rates are the same for all.
TEST(TaxSchedule, BracketsMeetAtEveryThreshold) {
  const double rates[] = {0.10, 0.15, 0.25, 0.28, 0.33, 0.35};
  for (const tax::filing_status status : all_statuses) {
    const tax::schedule& rows = tax::schedule_of(status);
    EXPECT_EQ(rows[0].lower_bound, 0.0);
    EXPECT_EQ(rows[0].base_tax, 0.0);
    EXPECT_EQ(rows[5].upper_bound, std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].rate, rates[i]);
    }
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
      const tax::bracket& below = rows[i];
      const tax::bracket& above = rows[i + 1];
      SCOPED_TRACE(std::string(tax::name_of(status)) + " " + std::to_string(below.upper_bound));
      EXPECT_EQ(above.lower_bound, below.upper_bound);
      const auto width = static_cast<long long>(below.upper_bound - below.lower_bound);
      EXPECT_EQ(std::llround(above.base_tax * 100),
                std::llround(below.base_tax * 100) + width * std::llround(rates[i] * 100));
      EXPECT_EQ(tax::compute_tax(below.upper_bound, status), above.base_tax);
      EXPECT_GE(tax::compute_tax(next_up(below.upper_bound), status), above.base_tax);
    }
  }
  EXPECT_EQ(&tax::schedule_of(tax::filing_status::single), &tax::rate_schedule);
}

// Names as a link or a file gives them, both ways.
TEST(TaxSchedule, StatusNames) {
  for (const tax::filing_status status : all_statuses) {
    EXPECT_EQ(tax::filing_status_named(tax::name_of(status)), status);
  }
  EXPECT_EQ(tax::name_of(tax::filing_status::married_filing_jointly), "married-jointly");
  for (const char* name : {"", "Single", "married", "single "}) {
    EXPECT_EQ(tax::filing_status_named(name), std::nullopt) << name;
  }
}

// Walks every double in a window around each threshold and a random sample
// elsewhere: the tax never goes negative and never falls as income rises.
TEST(TaxSchedule, NeverNegativeAndNeverDecreasing) {
  // Returns where the walk ended.
  const auto check_from = [](double x, int steps,
                             tax::filing_status status = tax::filing_status::single) {
    double previous = tax::compute_tax(x, status);
    for (int i = 0; i < steps; ++i) {
      const double next = next_up(x);
      const double tax = tax::compute_tax(next, status);
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
  for (const tax::filing_status status : all_statuses) {
    for (const tax::bracket& row : tax::schedule_of(status)) {
      if (std::isfinite(row.upper_bound)) {
        check_from(row.upper_bound - 1e-6, 2 * 1000 * 1000, status);
      }
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
