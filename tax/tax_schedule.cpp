// SPDX-License-Identifier: MIT
#include <cfloat>
#include <cstddef>
#include <iterator>
#include <limits>

#include <tax/tax_schedule.hpp>

// Every operation below must round to binary64 on its own. x87 arithmetic
// keeps wider intermediates, and the fast-math family lets the compiler
// reorder, fuse or drop operations, so refuse to build with either.
#ifndef TAX2008_NO_FP_GUARDS
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0
#error \
    "tax_schedule.cpp needs exact binary64 arithmetic: FLT_EVAL_METHOD 0 (on 32-bit x86: -msse2 -mfpmath=sse)"
#endif
#if defined(__FAST_MATH__) || __FINITE_MATH_ONLY__ || defined(__ASSOCIATIVE_MATH__) || \
    defined(__RECIPROCAL_MATH__) || defined(__NO_SIGNED_ZEROS__)
#error "tax_schedule.cpp needs exact binary64 arithmetic: build it without -ffast-math and the like"
#endif
// Clang announces neither -funsafe-math-optimizations nor -fassociative-math,
// so it is told here to keep every operation as written.
#if defined(__clang__) && defined(__wasm__)
#pragma clang fp reassociate(off)  // wasm has no float_control
#elif defined(__clang__)
#pragma float_control(precise, on)
#endif
#ifdef __clang__
#pragma clang fp contract(off)
#endif
#endif

namespace tax {

constexpr double unbounded = std::numeric_limits<double>::infinity();

// The base amounts are stored, not summed at run time, so that each one is
// the exact figure of the published schedule.
const schedule rate_schedule{{
    {0.0, 8025.0, 0.10, 0.0},
    {8025.0, 32550.0, 0.15, 802.5},
    {32550.0, 78850.0, 0.25, 4481.25},
    {78850.0, 164550.0, 0.28, 16056.25},
    {164550.0, 357700.0, 0.33, 40052.25},
    {357700.0, unbounded, 0.35, 103791.75},
}};

namespace {

const schedule married_jointly_schedule{{
    {0.0, 16050.0, 0.10, 0.0},
    {16050.0, 65100.0, 0.15, 1605.0},
    {65100.0, 131450.0, 0.25, 8962.5},
    {131450.0, 200300.0, 0.28, 25550.0},
    {200300.0, 357700.0, 0.33, 44828.0},
    {357700.0, unbounded, 0.35, 96770.0},
}};

const schedule married_separately_schedule{{
    {0.0, 8025.0, 0.10, 0.0},
    {8025.0, 32550.0, 0.15, 802.5},
    {32550.0, 65725.0, 0.25, 4481.25},
    {65725.0, 100150.0, 0.28, 12775.0},
    {100150.0, 178850.0, 0.33, 22414.0},
    {178850.0, unbounded, 0.35, 48385.0},
}};

const schedule head_of_household_schedule{{
    {0.0, 11450.0, 0.10, 0.0},
    {11450.0, 43650.0, 0.15, 1145.0},
    {43650.0, 112650.0, 0.25, 5975.0},
    {112650.0, 182400.0, 0.28, 23225.0},
    {182400.0, 357700.0, 0.33, 42755.0},
    {357700.0, unbounded, 0.35, 100604.0},
}};

// Both in the order of filing_status.
constexpr std::string_view names[] = {"single", "married-jointly", "married-separately",
                                      "head-of-household"};
const schedule* const schedules[] = {&rate_schedule, &married_jointly_schedule,
                                     &married_separately_schedule, &head_of_household_schedule};

double tax_under(const schedule& brackets, double income) {
  if (income <= 0.0) {
    return 0.0;  // also for -0.0 and -inf: the tax is never negative
  }
  const bracket& first = brackets.front();
  if (income <= first.upper_bound) {
    return income * first.rate;
  }
  // Lowest bracket first, inclusive bounds. NaN fails every test and so
  // lands in the top bracket, which turns it into a NaN tax.
  std::size_t row = 1;
  while (row + 1 < brackets.size() && !(income <= brackets[row].upper_bound)) {
    ++row;
  }
  const bracket& chosen = brackets[row];
  const double above = income - chosen.lower_bound;
  const double marginal = above * chosen.rate;
  return marginal + chosen.base_tax;
}

}  // namespace

std::string_view name_of(filing_status status) { return names[static_cast<int>(status)]; }

std::optional<filing_status> filing_status_named(std::string_view name) {
  for (std::size_t i = 0; i < std::size(names); ++i) {
    if (names[i] == name) {
      return static_cast<filing_status>(i);
    }
  }
  return std::nullopt;
}

const schedule& schedule_of(filing_status status) { return *schedules[static_cast<int>(status)]; }

double compute_tax(double income) { return tax_under(rate_schedule, income); }

double compute_tax(double income, filing_status status) {
  return tax_under(schedule_of(status), income);
}

}  // namespace tax
