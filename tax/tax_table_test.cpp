// SPDX-License-Identifier: MIT
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <tax/tax_table.hpp>

namespace {

double next_down(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }

// Every row of the Table, worked out with exact fractions by
// scripts/make-golden, at both of its edges; the rows run from 0 to the limit.
TEST(TaxTable, EveryRowAtBothEdges) {
  std::ifstream file(TAX2008_TAX_TABLE_FILE);
  ASSERT_TRUE(file) << TAX2008_TAX_TABLE_FILE;
  double end = 0.0;
  std::string line;
  while (std::getline(file, line)) {
    double at_least = 0.0;
    double less_than = 0.0;
    double tax = 0.0;
    if (line[0] == '#' || !(std::istringstream(line) >> at_least >> less_than >> tax)) {
      continue;
    }
    ASSERT_EQ(at_least, end) << line;
    EXPECT_EQ(tax::table_tax(at_least), tax) << line;
    EXPECT_EQ(tax::table_tax(next_down(less_than)), tax) << line;
    end = less_than;
  }
  EXPECT_EQ(end, tax::table_limit);
}

// Rows as the published 2008 Table prints them (the fifth a half rounded up),
// and incomes outside the rows.
TEST(TaxTable, PublishedRowsAndBeyond) {
  const double rows[][3] = {{0, 5, 0},         {5, 15, 1},           {25, 50, 4},
                            {1300, 1325, 131}, {25200, 25250, 3383}, {32550, 32600, 4488}};
  for (const auto& row : rows) {
    EXPECT_EQ(tax::table_tax(row[0]), row[2]) << row[0];
    EXPECT_EQ(tax::table_tax(next_down(row[1])), row[2]) << row[0];
  }
  const double inf = std::numeric_limits<double>::infinity();
  for (double income : {-0.0, -1000.0, -inf}) {
    EXPECT_EQ(tax::table_tax(income), 0.0) << income;  // the first row
  }
  for (double income : {tax::table_limit, inf, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(tax::table_tax(income), std::nullopt) << income;
  }
}

}  // namespace
