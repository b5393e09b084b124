// SPDX-License-Identifier: MIT
#ifndef TAX_TAX_SCHEDULE_HPP
#define TAX_TAX_SCHEDULE_HPP

#include <array>
#include <optional>
#include <string_view>

namespace tax {

// The 2008 filing statuses, each with its own rate schedule and Tax Table
// column. A qualifying widow(er) with a dependent child files with the
// married-jointly schedule and column.
enum class filing_status {
  single,
  married_filing_jointly,
  married_filing_separately,
  head_of_household
};

// The name of each status in a link or a file: "single", "married-jointly",
// "married-separately", "head-of-household"; and the status of such a name.
std::string_view name_of(filing_status status);
std::optional<filing_status> filing_status_named(std::string_view name);

// One bracket of a 2008 federal rate schedule. Amounts are dollars;
// `upper_bound` belongs to this bracket.
struct bracket {
  double lower_bound;
  double upper_bound;
  double rate;
  double base_tax;  // tax owed on exactly `lower_bound`
};

using schedule = std::array<bracket, 6>;

// The single filer's schedule (X): six brackets in ascending order; the last
// one has an infinite upper bound.
extern const schedule rate_schedule;

// The schedule of `status`: X, Y-1, Y-2 or Z, with the rates of `rate_schedule`.
const schedule& schedule_of(filing_status status);

// Tax owed on `income` under `rate_schedule`, unrounded. Zero for incomes of
// zero or less, NaN for NaN. Defined out of line on purpose: the library is
// compiled with its own floating-point flags, whatever flags a caller uses.
double compute_tax(double income);

// The same under the schedule of `status`; for `single`, the same bits as
// compute_tax(income).
double compute_tax(double income, filing_status status);

}  // namespace tax

#endif  // TAX_TAX_SCHEDULE_HPP
