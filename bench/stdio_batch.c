/* SPDX-License-Identifier: MIT */
/* The yardstick for tax2008-batch: the same lines read with C stdio, the
   income (the second field) taken by strtod, taxed in binary64 and printed
   with %.2f after the line. scripts/bench times both on one file. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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
  char line[4096];
  while (fgets(line, sizeof line, stdin) != NULL) {
    const char* comma = strchr(line, ',');
    line[strcspn(line, "\n")] = '\0';
    printf("%s,%.2f\n", line, compute_tax(comma != NULL ? strtod(comma + 1, NULL) : 0.0));
  }
  return fflush(stdout) == 0 ? 0 : 1;
}
