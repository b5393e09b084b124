// SPDX-License-Identifier: MIT
#ifndef TAX_TAX_SCHEDULE_HPP
#define TAX_TAX_SCHEDULE_HPP

#include <array>

namespace tax {

// One bracket of the 2008 federal rate schedule for a single filer.
// Amounts are dollars; `upper_bound` belongs to this bracket.
struct bracket {
  double lower_bound;
  double upper_bound;
  double rate;
  double base_tax;  // tax owed on exactly `lower_bound`
};

// Six brackets in ascending order; the last one has an infinite upper bound.
extern const std::array<bracket, 6> rate_schedule;

// Tax owed on `income` under `rate_schedule`, unrounded. Zero for incomes of
// zero or less, NaN for NaN. Defined out of line on purpose: the library is
// compiled with its own floating-point flags, whatever flags a caller uses.
double compute_tax(double income);

}  // namespace tax

#endif  // TAX_TAX_SCHEDULE_HPP
