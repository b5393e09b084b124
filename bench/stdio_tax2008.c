/* SPDX-License-Identifier: MIT */
/* The same exchange as tax2008, written with C stdio: the yardstick that
   scripts/bench measures the C++ program's start-up cost against. */
#include <stdio.h>

static double compute_tax(double income) {
  static const double upper[] = {32550.0, 78850.0, 164550.0, 357700.0};
  static const double lower[] = {8025.0, 32550.0, 78850.0, 164550.0, 357700.0};
  static const double rate[] = {0.15, 0.25, 0.28, 0.33, 0.35};
  static const double base[] = {802.5, 4481.25, 16056.25, 40052.25, 103791.75};
  int row = 0;
  if (income <= 0.0) return 0.0;
  if (income <= 8025.0) return income * 0.10;
  while (row < 4 && !(income <= upper[row])) ++row;
  return (income - lower[row]) * rate[row] + base[row];
}

int main(void) {
  double income = 0.0;
  fputs("Please enter your 2008 taxable income: ", stdout);
  fflush(stdout);
  if (scanf("%lf", &income) != 1) return 1;
  printf("\nYour 2008 tax is: $%.2f\n", compute_tax(income));
  return fflush(stdout) == 0 ? 0 : 1;
}
