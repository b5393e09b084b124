// SPDX-License-Identifier: MIT
#ifndef TAX_TAX_TABLE_HPP
#define TAX_TAX_TABLE_HPP

#include <optional>

namespace tax {

// From this income on the Tax Table has no row: a return then uses the
// schedule's figure, compute_tax.
constexpr double table_limit = 100000.0;

// The 2008 Tax Table amount for a single filer, in whole dollars: the figure
// a 2008 Form 1040 uses for a taxable income under 100,000. The Table's rows
// run "at least" one bound "but less than" the next: [0, 5), [5, 15),
// [15, 25), then rows $25 wide up to 3,000 and $50 wide up to 100,000. Each
// row's amount is the schedule's tax at the row's midpoint, worked out
// exactly and rounded to the nearest dollar, halves up. A negative income
// takes the first row; from 100,000 on, and for NaN, there is no amount.
std::optional<double> table_tax(double income);

}  // namespace tax

#endif  // TAX_TAX_TABLE_HPP
