#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The expected results, worked out apart from the library: writes
tax/testdata/golden.txt (incomes with the tax they must give),
tax/testdata/tax_table.txt (the rows of the Tax Table) and
app/testdata/decimal_incomes.txt (decimal incomes with the double they must
read as). With --check, as the test Golden.UpToDate runs it, it writes
nothing and fails where a file differs from what it works out.

The expected results are worked out with exact rational arithmetic, each
operation rounded once to the nearest binary64 (ties to even), so they do not
depend on this machine's floating-point unit or on any compiler's choices.

Each row: income bits, result bits (both 16 hex digits), the amount printed
with two decimals. Run from anywhere; the output is deterministic.
"""
import math
import os
import random
import struct
import sys
from fractions import Fraction

# Each status's schedule, by the name the files give it: lower bound, upper
# bound (inclusive), rate, base tax. The rates are the same in every one.
RATES = [0.10, 0.15, 0.25, 0.28, 0.33, 0.35]


def schedule(bounds, bases):
    lows = [0.0] + bounds
    highs = bounds + [math.inf]
    return list(zip(lows, highs, RATES, [0.0] + bases))


SCHEDULES = {
    "single": schedule([8025.0, 32550.0, 78850.0, 164550.0, 357700.0],
                       [802.5, 4481.25, 16056.25, 40052.25, 103791.75]),
    "married-jointly": schedule([16050.0, 65100.0, 131450.0, 200300.0, 357700.0],
                                [1605.0, 8962.5, 25550.0, 44828.0, 96770.0]),
    "married-separately": schedule([8025.0, 32550.0, 65725.0, 100150.0, 178850.0],
                                   [802.5, 4481.25, 12775.0, 22414.0, 48385.0]),
    "head-of-household": schedule([11450.0, 43650.0, 112650.0, 182400.0, 357700.0],
                                  [1145.0, 5975.0, 23225.0, 42755.0, 100604.0]),
}
SINGLE = SCHEDULES["single"]


def bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def from_bits(b):
    return struct.unpack("<d", struct.pack("<Q", b))[0]


def rounded(q):
    # int / int true division is correctly rounded, half to even.
    return q.numerator / q.denominator


def tax(x, fused=False, brackets=SINGLE):
    if math.isnan(x):
        return math.nan
    if x <= 0:
        return 0.0
    if math.isinf(x):
        return math.inf
    if x <= brackets[0][1]:
        return rounded(Fraction(x) * Fraction(brackets[0][2]))
    row = next((r for r in brackets[1:5] if x <= r[1]), brackets[5])
    lower, _, rate, base = row
    above = rounded(Fraction(x) - Fraction(lower))
    if fused:  # one rounding for multiply and add, as a contracted build does
        return rounded(Fraction(above) * Fraction(rate) + Fraction(base))
    marginal = rounded(Fraction(above) * Fraction(rate))
    return rounded(Fraction(marginal) + Fraction(base))


def printed(t):
    return "%.2f" % t


def cents(lo, hi, rng):
    c = rng.randint(round(lo * 100), round(hi * 100))
    return rounded(Fraction(c, 100))


def incomes(brackets=SINGLE, per_bracket=7000, seed=2008):
    rng = random.Random(seed)
    yield from [-1000.0, 0.0, -0.0, 0.01, 12.0, 8025.0, 8025.01, 10000.0,
                32550.0, 50000.0, 78850.0, 100000.0, 164550.0, 200000.0,
                357700.0, 1e6, 1e9, 32551.5, 11439.70, -5000.0, 5.0]
    yield from [math.inf, -math.inf, math.nan, -math.nan,
                5e-324, -5e-324, 2.2250738585072014e-308, sys.float_info.max,
                -sys.float_info.max]
    for row in brackets[:5]:
        for edge in (row[0], row[1]):
            x = edge
            for _ in range(64):
                x = math.nextafter(x, -math.inf)
            for _ in range(129):
                yield x
                x = math.nextafter(x, math.inf)
    for lower, upper, _, _ in brackets:
        top = 10_000_000.0 if math.isinf(upper) else upper
        for _ in range(per_bracket):
            yield cents(lower, top, rng)
    for _ in range(500):
        yield -cents(0, 1_000_000, rng)
    for _ in range(8000):  # any bit pattern: every magnitude, both signs, NaNs
        yield from_bits(rng.getrandbits(64))
    for _ in range(4000):  # positive, spread evenly over the exponents
        yield math.ldexp(rng.random() + 0.5, rng.randint(-1074, 1023))


def table_rows(brackets=SINGLE):
    """The Tax Table: at least, but less than, and the schedule's tax at the
    row's midpoint with the rates as exact decimals, rounded to whole dollars,
    halves up."""
    edges = [0, 5, 15] + list(range(25, 3000, 25)) + list(range(3000, 100001, 50))
    for low, high in zip(edges, edges[1:]):
        mid = Fraction(low + high, 2)
        lower, _, rate, base = next(r for r in brackets if mid <= r[1])
        exact = (mid - Fraction(lower)) * Fraction(str(rate)) + Fraction(base)
        yield low, high, math.floor(exact + Fraction(1, 2))


def x87_rounding(text):
    """For a decimal with a fractional part: (its value rounded to x87's 64
    bits and then to 53, whether that first rounding lands on a midpoint
    between two doubles)."""
    whole, _, fraction = text.partition(".")
    n, den = int(whole + fraction), 10 ** len(fraction)
    shift = 63 - (n.bit_length() - den.bit_length())
    while (n << shift) >= den << 64:
        shift -= 1
    while (n << shift) < den << 63:
        shift += 1
    q, r = divmod(n << shift, den)
    if 2 * r > den or (2 * r == den and q & 1):
        q += 1
    low = q & 0x7FF
    q53 = q >> 11
    if low > 0x400 or (low == 0x400 and q53 & 1):
        q53 += 1
    return math.ldexp(q53, 11 - shift), low == 0x400 and r != 0


def decimal_incomes():
    """Incomes with 6 to 9 decimals and at most 15 significant digits (what a
    conversion may take a fast path for), half of them chosen so that their
    x87 rounding lands on a midpoint."""
    rng = random.Random(2009)
    hard, plain = [], []
    while len(hard) < 1500 or len(plain) < 1500:
        places = rng.randint(6, 9)
        n = rng.randrange(1, 10 ** rng.randint(places + 1, 15))
        text = "%d.%0*d" % (n // 10 ** places, places, n % 10 ** places)
        twice, on_midpoint = x87_rounding(text)
        if on_midpoint and len(hard) < 1500:
            hard.append((text, twice))
        elif not on_midpoint and len(plain) < 1500:
            plain.append((text, twice))
    return hard + plain


def golden_rows():
    """golden.txt's lines, and how many results and printed amounts a fused
    multiply-add would change."""
    lines = ["# status income-bits result-bits printed; made by tests/make_golden.py"]
    fused_differs = fused_cents = 0
    # The same kinds of income for every status, fewer of them at random for
    # the statuses the program does not print.
    for status, rows in SCHEDULES.items():
        single = status == "single"
        for x in incomes(rows, 7000 if single else 1500, 2008 if single else len(lines) - 1):
            t = tax(x, brackets=rows)
            lines.append("%s %016x %016x %s" % (status, bits(x), bits(t), printed(t)))
            f = tax(x, fused=True, brackets=rows)
            if not (math.isnan(t) or bits(f) == bits(t)):
                fused_differs += 1
                fused_cents += printed(f) != printed(t)
    return lines, fused_differs, fused_cents


def main():
    check = sys.argv[1:] == ["--check"]
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")

    # The worked examples that the schedule is known by.
    for x, want in [(0.01, 0.001), (12.0, 1.2000000000000002),
                    (8025.01, 802.5015000000001), (10000.0, 1098.75),
                    (50000.0, 8843.75), (100000.0, 21978.25),
                    (200000.0, 51750.75), (1e6, 328596.75),
                    (1e9, 349978596.75), (32551.5, 4481.625)]:
        assert tax(x) == want, (x, tax(x), want)
    # Each stored base amount is the one below plus that bracket's width at
    # its rate, in exact decimals, and the schedules meet at every bound.
    for rows in SCHEDULES.values():
        for below, above in zip(rows, rows[1:]):
            width = Fraction(below[1]) - Fraction(below[0])
            assert Fraction(above[3]) == Fraction(below[3]) + width * Fraction(str(below[2]))
            assert tax(below[1], brackets=rows) == above[3]

    golden, fused_differs, fused_cents = golden_rows()
    print("%d rows; a fused multiply-add would change %d results, %d printed amounts"
          % (len(golden) - 1, fused_differs, fused_cents))
    table = ["# status at-least but-less-than tax; made by tests/make_golden.py"]
    table += ["%s %d %d %d" % ((status,) + row)
              for status, rows in SCHEDULES.items() for row in table_rows(rows)]
    decimals = ["# decimal income, bits of the double it reads as; made by tests/make_golden.py"]
    chosen = decimal_incomes()
    decimals += ["%s %016x" % (text, bits(float(text))) for text, _ in chosen]
    misread = sum(twice != float(text) for text, twice in chosen)
    print("decimal incomes: rounding twice (x87) would misread %d of them" % misread)

    stale = []
    for name, lines in [("tax/testdata/golden.txt", golden),
                        ("tax/testdata/tax_table.txt", table),
                        ("app/testdata/decimal_incomes.txt", decimals)]:
        text = "\n".join(lines) + "\n"
        path = os.path.join(root, name)
        if not check:
            with open(path, "w", newline="\n") as out:
                out.write(text)
        elif open(path, newline="\n").read() != text:
            stale.append(name)
    if stale:
        sys.exit("not what tests/make_golden.py works out: " + ", ".join(stale))


if __name__ == "__main__":
    main()
