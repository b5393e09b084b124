// SPDX-License-Identifier: MIT
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>
#include <tax/filing_figure.hpp>

namespace {

using tax::filing_status;
using tax::method;

// Every case tests/make_worksheet_cases.py works out with exact fractions,
// made when the tests are built.
TEST(FilingFigure, ExactFractions) {
  std::ifstream file(TAX2008_WORKSHEET_CASES);
  ASSERT_TRUE(file) << TAX2008_WORKSHEET_CASES;
  int checked = 0;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string status;
    tax::cents income = 0;
    tax::cents dividends = 0;
    tax::cents gain = 0;
    tax::cents want = 0;
    std::string how;
    if (line[0] == '#' || !(fields >> status >> income >> dividends >> gain >> want >> how)) {
      continue;
    }
    const tax::figure got =
        tax::filing_figure(income, *tax::filing_status_named(status), dividends, gain);
    EXPECT_EQ(std::make_tuple(got.tax, tax::name_of(got.method)), std::make_tuple(want, how))
        << line;
    ++checked;
  }
  EXPECT_GT(checked, 6000);
}

// The worked rows, as a return shows them, and the steps of one.
TEST(FilingFigure, WorkedRows) {
  const struct {
    tax::cents income, dividends, gain, tax;
    filing_status status;
    method how;
  } rows[] = {
      {5000000, 500000, 0, 835000, filing_status::single, method::capital_gain_worksheet},
      {3500000, 300000, 200000, 447050, filing_status::single, method::capital_gain_worksheet},
      {3000000, 3000000, 0, 0, filing_status::single, method::capital_gain_worksheet},
      {8000000, 1000000, 1500000, 968600, filing_status::married_filing_jointly,
       method::capital_gain_worksheet},
      {15000000, 200000, 4000000, 2836250, filing_status::head_of_household,
       method::capital_gain_worksheet},
      {4000000, 0, -300000, 635000, filing_status::married_filing_separately, method::table},
      {35770010, 0, 0, 10379179, filing_status::single, method::tax_computation_worksheet},
      {16455050, 0, 0, 4005242, filing_status::single, method::tax_computation_worksheet},
      {5000000, 0, 0, 885000, filing_status::single, method::table},
      {-100, 0, 0, 0, filing_status::single, method::table},
  };
  for (const auto& row : rows) {
    const tax::figure f = tax::filing_figure(row.income, row.status, row.dividends, row.gain);
    EXPECT_EQ(std::tie(f.tax, f.method, f.problem),
              std::make_tuple(row.tax, row.how, tax::figure_problem::none))
        << row.income;
  }
  const tax::worksheet_lines w =
      tax::filing_figure(3500000, filing_status::single, 300000, 200000).lines;
  EXPECT_EQ(std::tie(w.taxable_income, w.qualified_dividends, w.capital_gain, w.both, w.rest,
                     w.bracket_part, w.at_zero, w.at_fifteen),
            std::make_tuple(3500000, 300000, 200000, 500000, 3000000, 3255000, 255000, 245000));
  EXPECT_EQ(std::tie(w.fifteen_percent, w.tax_on_rest, w.with_gains, w.tax_on_all),
            std::make_tuple(3675000, 41030000, 44705000, 51000000));
}

TEST(FilingFigure, Refusals) {
  const struct {
    tax::cents income, dividends, gain;
    tax::figure_problem problem;
  } rows[] = {
      {5000000, -1, 0, tax::figure_problem::negative_dividends},
      {tax::max_cents + 1, 0, 0, tax::figure_problem::out_of_range},
      {-tax::max_cents - 1, 0, 0, tax::figure_problem::out_of_range},
      {5000000, tax::max_cents + 1, 0, tax::figure_problem::out_of_range},
      {5000000, 0, -tax::max_cents - 1, tax::figure_problem::out_of_range},
      {tax::max_cents, 0, -tax::max_cents, tax::figure_problem::none},
  };
  for (const auto& row : rows) {
    const tax::figure f =
        tax::filing_figure(row.income, filing_status::single, row.dividends, row.gain);
    EXPECT_EQ(f.problem, row.problem) << row.income << " " << row.dividends << " " << row.gain;
  }
  EXPECT_EQ(tax::words(tax::figure_problem::negative_dividends),
            "the qualified dividends are negative");
  EXPECT_EQ(tax::words(tax::figure_problem::out_of_range),
            "an amount is over $999,999,999,999,999.99");
  EXPECT_EQ(tax::words(tax::figure_problem::none), "");
}

// Over a sweep of incomes: never negative, never above the tax without the
// worksheet, never less for a higher income with the same dividends and gain.
TEST(FilingFigure, Properties) {
  for (const filing_status status :
       {filing_status::single, filing_status::married_filing_jointly,
        filing_status::married_filing_separately, filing_status::head_of_household}) {
    for (const tax::cents gains : {0, 123456, 2000000, 9000000}) {
      tax::cents before = 0;
      for (tax::cents income = 0; income < 25000000; income += 97) {
        const tax::figure f = tax::filing_figure(income, status, gains / 3, gains - gains / 3);
        const tax::figure plain = tax::filing_figure(income, status);
        ASSERT_GE(f.tax, before) << income << " " << gains;
        ASSERT_LE(f.tax, plain.tax) << income << " " << gains;
        before = f.tax;
      }
    }
  }
}

}  // namespace
