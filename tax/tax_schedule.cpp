// SPDX-License-Identifier: MIT
#include <cfloat>
#include <cstddef>
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

// The base amounts are stored, not summed at run time, so that each one is
// the exact figure of the published schedule.
const std::array<bracket, 6> rate_schedule{{
    {0.0, 8025.0, 0.10, 0.0},
    {8025.0, 32550.0, 0.15, 802.5},
    {32550.0, 78850.0, 0.25, 4481.25},
    {78850.0, 164550.0, 0.28, 16056.25},
    {164550.0, 357700.0, 0.33, 40052.25},
    {357700.0, std::numeric_limits<double>::infinity(), 0.35, 103791.75},
}};

double compute_tax(double income) {
  if (income <= 0.0) {
    return 0.0;  // also for -0.0 and -inf: the tax is never negative
  }
  const bracket& first = rate_schedule.front();
  if (income <= first.upper_bound) {
    return income * first.rate;
  }
  // Lowest bracket first, inclusive bounds. NaN fails every test and so
  // lands in the top bracket, which turns it into a NaN tax.
  std::size_t row = 1;
  while (row + 1 < rate_schedule.size() && !(income <= rate_schedule[row].upper_bound)) {
    ++row;
  }
  const bracket& chosen = rate_schedule[row];
  const double above = income - chosen.lower_bound;
  const double marginal = above * chosen.rate;
  return marginal + chosen.base_tax;
}

}  // namespace tax
