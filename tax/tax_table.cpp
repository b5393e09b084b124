// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdint>
#include <iterator>

#include <tax/tax_schedule.hpp>
#include <tax/tax_table.hpp>

namespace tax {
namespace {

// Where rows of each width begin, lowest first.
struct band {
  std::int64_t start;
  std::int64_t width;
};
constexpr band bands[] = {{0, 5}, {5, 10}, {15, 10}, {25, 25}, {3000, 50}};

}  // namespace

std::optional<table_row> table_row_of(double income, filing_status status) {
  if (!(income < table_limit)) {
    return std::nullopt;  // also NaN
  }
  // Every bound is a whole dollar, so the whole dollars of the income pick
  // its row.
  const std::int64_t dollars = income > 0.0 ? static_cast<std::int64_t>(income) : 0;
  const band* b = std::end(bands) - 1;
  while (dollars < b->start) {
    --b;
  }
  const std::int64_t start = b->start + (dollars - b->start) / b->width * b->width;

  // Exact integers throughout: rounding a binary64 product could land on
  // the wrong side of a half. The midpoint is counted in half dollars; the
  // schedules' rates are whole per cents and their amounts whole cents, so
  // 200 times the tax is a whole number.
  const std::int64_t midpoint_halves = 2 * start + b->width;
  const double midpoint = static_cast<double>(midpoint_halves) / 2;
  const bracket* row = schedule_of(status).data();
  while (midpoint > row->upper_bound) {
    ++row;
  }
  const std::int64_t percent = std::llround(row->rate * 100);
  const std::int64_t base_cents = std::llround(row->base_tax * 100);
  const std::int64_t above_halves =
      midpoint_halves - 2 * static_cast<std::int64_t>(row->lower_bound);
  const std::int64_t tax_200ths = percent * above_halves + 2 * base_cents;
  const std::int64_t whole_dollars = (tax_200ths + 100) / 200;  // halves up
  return table_row{static_cast<double>(start), static_cast<double>(start + b->width),
                   static_cast<double>(whole_dollars)};
}

std::optional<double> table_tax(double income, filing_status status) {
  const std::optional<table_row> row = table_row_of(income, status);
  return row ? std::optional<double>(row->tax) : std::nullopt;
}

std::optional<double> table_tax(double income) { return table_tax(income, filing_status::single); }

}  // namespace tax
