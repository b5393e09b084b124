// SPDX-License-Identifier: MIT
#ifndef TAX_TAX_TABLE_HPP
#define TAX_TAX_TABLE_HPP

#include <optional>

#include <tax/tax_schedule.hpp>

namespace tax {

// From this income on the Tax Table has no row: a return then uses the
// schedule's figure (the Tax Computation Worksheet's), compute_tax.
constexpr double table_limit = 100000.0;

// A row of the 2008 Tax Table: incomes of at least `at_least` but less than
// `less_than` owe `tax` whole dollars.
struct table_row {
  double at_least;
  double less_than;
  double tax;
};

// The row of the 2008 Tax Table for `income`, in the column of `status`:
// the figure a 2008 Form 1040 uses for a taxable income under 100,000. The
// rows run [0, 5), [5, 15), [15, 25), then $25 wide up to 3,000 and $50
// wide up to 100,000. Each row's amount is the status's schedule tax at the
// row's midpoint, worked out exactly and rounded to the nearest dollar,
// halves up. A negative income takes the first row; from 100,000 on, and
// for NaN, there is no row.
std::optional<table_row> table_row_of(double income, filing_status status);

// The amount of that row; with one argument, the single filer's. For the
// figure a return enters, whatever the income, use filing_figure
// (<tax/filing_figure.hpp>).
std::optional<double> table_tax(double income, filing_status status);
std::optional<double> table_tax(double income);

}  // namespace tax

#endif  // TAX_TAX_TABLE_HPP
