// SPDX-License-Identifier: MIT
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>
#include <tax/tax_table.hpp>

namespace {

double next_down(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }

// Every row of the Table, in every status's column, worked out with exact
// fractions by tests/make_golden.py, at both of its edges; each column's rows
// run from 0 to the limit.
TEST(TaxTable, EveryRowAtBothEdges) {
  std::ifstream file(TAX2008_TAX_TABLE_FILE);
  ASSERT_TRUE(file) << TAX2008_TAX_TABLE_FILE;
  std::map<std::string, double> ends;
  std::string line;
  while (std::getline(file, line)) {
    std::string name;
    double at_least = 0.0;
    double less_than = 0.0;
    double tax = 0.0;
    if (line[0] == '#' || !(std::istringstream(line) >> name >> at_least >> less_than >> tax)) {
      continue;
    }
    const std::optional<tax::filing_status> status = tax::filing_status_named(name);
    ASSERT_TRUE(status) << line;
    ASSERT_EQ(at_least, ends[name]) << line;
    const tax::table_row row{at_least, less_than, tax};
    for (const double income : {at_least, next_down(less_than)}) {
      const std::optional<tax::table_row> got = tax::table_row_of(income, *status);
      ASSERT_TRUE(got) << line;
      EXPECT_EQ(std::tie(got->at_least, got->less_than, got->tax),
                std::tie(row.at_least, row.less_than, row.tax))
          << line;
      EXPECT_EQ(tax::table_tax(income, *status), tax) << line;
      if (*status == tax::filing_status::single) {
        EXPECT_EQ(tax::table_tax(income), tax) << line;
      }
    }
    ends[name] = less_than;
  }
  ASSERT_EQ(ends.size(), 4U);
  for (const auto& [name, end] : ends) {
    EXPECT_EQ(end, tax::table_limit) << name;
  }
}

// Rows as the published 2008 Table prints them (the fifth a half rounded
// up), and incomes outside the rows.
TEST(TaxTable, PublishedRowsAndBeyond) {
  using tax::filing_status;
  const struct {
    double at_least;
    double less_than;
    double single, jointly, separately, head_of_household;
  } rows[] = {
      {0, 5, 0, 0, 0, 0},
      {5, 15, 1, 1, 1, 1},
      {25, 50, 4, 4, 4, 4},
      {1300, 1325, 131, 131, 131, 131},
      {25200, 25250, 3383, 2981, 3383, 3211},
      {32550, 32600, 4488, 4084, 4488, 4314},
  };
  for (const auto& row : rows) {
    for (const double income : {row.at_least, next_down(row.less_than)}) {
      EXPECT_EQ(tax::table_tax(income), row.single) << income;
      EXPECT_EQ(tax::table_tax(income, filing_status::married_filing_jointly), row.jointly)
          << income;
      EXPECT_EQ(tax::table_tax(income, filing_status::married_filing_separately), row.separately)
          << income;
      EXPECT_EQ(tax::table_tax(income, filing_status::head_of_household), row.head_of_household)
          << income;
    }
  }
  const double inf = std::numeric_limits<double>::infinity();
  for (double income : {-0.0, -1000.0, -inf}) {
    EXPECT_EQ(tax::table_tax(income), 0.0) << income;  // the first row
  }
  for (double income : {tax::table_limit, inf, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(tax::table_tax(income), std::nullopt) << income;
    EXPECT_FALSE(tax::table_row_of(income, filing_status::head_of_household)) << income;
  }
}

}  // namespace
