#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The figure to file, worked out apart from the library: writes the file
named on the command line, one case a line (status, then taxable income,
qualified dividends, capital gain and the expected tax, all in cents, then
how it was found). The build makes it when the tests are built.

The rule, in exact fractions: dividends and gain are stacked on top of the
other income; the part of them that lies inside the 15% bracket is taxed at
0%, the part above it at 15%, and the other income by the Tax Table (under
$100,000) or the schedule (from there on); the figure is never more than
that tax on the whole income. Rounded once, to the cent, halves up.
"""
import bisect
import math
import os
import random
import sys
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_golden import SCHEDULES, table_rows  # noqa: E402

TABLE = {status: list(table_rows(rows)) for status, rows in SCHEDULES.items()}


def usual_tax(x, status):
    """The Tax Table's whole dollars under $100,000, the schedule at exact
    decimal rates from there on."""
    if x <= 0:
        return Fraction(0)
    if x < 100000:
        rows = TABLE[status]
        row = rows[bisect.bisect_right([low for low, _, _ in rows], x) - 1]
        assert row[0] <= x < row[1]
        return Fraction(row[2])
    for lower, upper, rate, base in SCHEDULES[status]:
        if x <= upper:
            return Fraction(base) + (x - Fraction(lower)) * Fraction(str(rate))


def figure(income, dividends, gain, status):
    income = max(income, Fraction(0))
    gains = min(income, dividends + max(gain, Fraction(0)))
    everything = usual_tax(income, status)
    if dividends + max(gain, 0) == 0:
        return everything, "table" if income < 100000 else "tax-computation-worksheet"
    top = Fraction(SCHEDULES[status][1][1])  # where the 15% bracket ends
    other = income - gains
    above = max(Fraction(0), income - max(other, top))
    with_gains = usual_tax(other, status) + Fraction(15, 100) * above
    return min(with_gains, everything), "capital-gain-worksheet"


def to_cents(tax):
    return math.floor(tax * 100 + Fraction(1, 2))


def cases(rng):
    """Cents: worked rows, then for each status every bound and the end of
    the 15% bracket a cent either side with gains on both sides of it, then
    a sample."""
    c = lambda dollars: round(Fraction(dollars) * 100)  # noqa: E731
    yield from [("single", c(50000), c(5000), 0), ("single", c(35000), c(3000), c(2000)),
                ("single", c(30000), c(30000), 0), ("married-jointly", c(80000), c(10000), c(15000)),
                ("head-of-household", c(150000), c(2000), c(40000)),
                ("married-separately", c(40000), 0, c(-3000)), ("single", 35770010, 0, 0),
                ("single", c(50000), 0, 0), ("single", -100, c(100), 0), ("single", c(1000), c(5000), 0),
                ("married-jointly", c(100000), c(20000), c(-500)), ("single", 10**17 - 1, 10**17 - 1, 0)]
    for status, rows in SCHEDULES.items():
        top = c(rows[1][1])
        bounds = sorted({c(r[1]) for r in rows[:5]} | {c(100000)})
        for edge in bounds + [top]:
            for income in (edge - 1, edge, edge + 1):
                for gains in (0, 1, c(100), income - top - 1, income - top, income - top + 1, income):
                    if gains >= 0:
                        yield status, income, gains // 2, gains - gains // 2
        for _ in range(1500):
            income = rng.randint(0, rng.choice([c(50000), c(150000), c(1000000)]))
            dividends = rng.choice([0, rng.randint(0, income), rng.randint(0, 2 * income + 1)])
            gain = rng.choice([0, rng.randint(-income, income)])
            yield status, income, dividends, gain


def main():
    lines = ["# status income dividends gain tax (cents) method; made by tests/make_worksheet_cases.py"]
    for status, income, dividends, gain in cases(random.Random(1040)):
        tax, how = figure(Fraction(income, 100), Fraction(dividends, 100), Fraction(gain, 100), status)
        lines.append("%s %d %d %d %d %s" % (status, income, dividends, gain, to_cents(tax), how))
    with open(sys.argv[1], "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
