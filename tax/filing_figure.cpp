// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cmath>
#include <optional>

#include <tax/filing_figure.hpp>
#include <tax/tax_table.hpp>

// Whole numbers throughout: the worksheets are decimal arithmetic, and a
// binary64 product can fall on the wrong side of a half cent.
namespace tax {
namespace {

constexpr cents table_limit_cents = cents{100000} * 100;

// The schedule's stored doubles are whole cents and whole per cents.
cents cents_of(double dollars) { return std::llround(dollars * 100); }

// T(x), exact: the Table's whole dollars, or the bracket's base plus its
// rate on the part above its lower bound.
cent_hundredths tax_on(cents income, filing_status status) {
  if (income <= 0) {
    return 0;
  }
  if (income < table_limit_cents) {
    // The Table's rows begin at whole dollars, so the whole dollars pick it.
    const cents whole_dollars = income / 100;
    const std::optional<double> dollars = table_tax(static_cast<double>(whole_dollars), status);
    return static_cast<cent_hundredths>(*dollars) * 10000;
  }
  const schedule& brackets = schedule_of(status);
  const bracket* row = brackets.data();
  while (row + 1 != brackets.end() && income > cents_of(row->upper_bound)) {
    ++row;
  }
  return cents_of(row->base_tax) * 100 +
         (income - cents_of(row->lower_bound)) * std::llround(row->rate * 100);
}

// To the nearest cent, halves up; `h` is never negative.
cents rounded(cent_hundredths h) { return (h + 50) / 100; }

bool in_range(cents amount) { return amount >= -max_cents && amount <= max_cents; }

}  // namespace

std::string_view name_of(method how) {
  switch (how) {
    case method::table:
      return "table";
    case method::tax_computation_worksheet:
      return "tax-computation-worksheet";
    case method::capital_gain_worksheet:
      return "capital-gain-worksheet";
  }
  return "";  // GCOVR_EXCL_LINE: not a method
}

std::string_view words(figure_problem p) {
  switch (p) {
    case figure_problem::none:
      break;
    case figure_problem::negative_dividends:
      return "the qualified dividends are negative";
    case figure_problem::out_of_range:
      return "an amount is over $999,999,999,999,999.99";
  }
  return "";
}

figure filing_figure(cents taxable_income, filing_status status, cents qualified_dividends,
                     cents capital_gain) {
  figure f{0, method::table, figure_problem::none, {}};
  if (!in_range(taxable_income) || !in_range(qualified_dividends) || !in_range(capital_gain)) {
    f.problem = figure_problem::out_of_range;
    return f;
  }
  if (qualified_dividends < 0) {
    f.problem = figure_problem::negative_dividends;
    return f;
  }
  worksheet_lines& w = f.lines;
  w.taxable_income = std::max<cents>(taxable_income, 0);
  w.qualified_dividends = qualified_dividends;
  w.capital_gain = std::max<cents>(capital_gain, 0);
  w.both = w.qualified_dividends + w.capital_gain;
  w.tax_on_all = tax_on(w.taxable_income, status);
  if (w.both == 0) {
    f.tax = rounded(w.tax_on_all);
    f.method =
        w.taxable_income < table_limit_cents ? method::table : method::tax_computation_worksheet;
    f.lines = {};
    return f;
  }
  const cents bracket_end = cents_of(schedule_of(status)[1].upper_bound);
  w.rest = std::max<cents>(w.taxable_income - w.both, 0);
  w.bracket_part = std::min(w.taxable_income, bracket_end);
  w.at_zero = std::max<cents>(w.bracket_part - w.rest, 0);
  w.at_fifteen = std::min(w.taxable_income, w.both) - w.at_zero;
  w.fifteen_percent = w.at_fifteen * 15;
  w.tax_on_rest = tax_on(w.rest, status);
  w.with_gains = w.fifteen_percent + w.tax_on_rest;
  f.tax = rounded(std::min(w.with_gains, w.tax_on_all));
  f.method = method::capital_gain_worksheet;
  return f;
}

}  // namespace tax
