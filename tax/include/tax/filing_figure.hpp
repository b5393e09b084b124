// SPDX-License-Identifier: MIT
#ifndef TAX_FILING_FIGURE_HPP
#define TAX_FILING_FIGURE_HPP

#include <cstdint>
#include <string_view>

#include <tax/tax_schedule.hpp>

namespace tax {

// Money in whole cents, as a return states it.
using cents = std::int64_t;

// Tax worked out exactly, in hundredths of a cent: a whole per cent of a whole
// number of cents is one.
using cent_hundredths = std::int64_t;

// The largest amount the worksheets take, $999,999,999,999,999.99, so that
// 35% of it in hundredths of a cent still fits in 64 bits.
constexpr cents max_cents = 99'999'999'999'999'999;

// How the figure to file was found.
enum class method {
  table,                      // the Tax Table: a taxable income under $100,000
  tax_computation_worksheet,  // $100,000 or more: the schedule, to the cent
  capital_gain_worksheet,     // the Qualified Dividends and Capital Gain Tax Worksheet
};

// "table", "tax-computation-worksheet", "capital-gain-worksheet".
std::string_view name_of(method how);

// Why there is no figure.
enum class figure_problem {
  none,
  negative_dividends,  // qualified dividends are never below zero
  out_of_range,        // an amount beyond max_cents either way
};

// "the qualified dividends are negative", ...
std::string_view words(figure_problem p);

// The Qualified Dividends and Capital Gain Tax Worksheet, step by step.
// Amounts are cents; taxes hundredths of a cent, unrounded.
struct worksheet_lines {
  cents taxable_income;  // not below 0
  cents qualified_dividends;
  cents capital_gain;               // a loss counts 0
  cents both;                       // dividends and gain together
  cents rest;                       // taxable income less both, not below 0: taxed as usual
  cents bracket_part;               // the taxable income, at most the end of the 15% bracket
  cents at_zero;                    // the part of both inside the 15% bracket: taxed at 0%
  cents at_fifteen;                 // the rest of both, up to the taxable income: taxed at 15%
  cent_hundredths fifteen_percent;  // 15% of at_fifteen
  cent_hundredths tax_on_rest;      // T(rest)
  cent_hundredths with_gains;       // fifteen_percent + tax_on_rest
  cent_hundredths tax_on_all;       // T(taxable income), the tax without the worksheet
};

// The figure a 2008 Form 1040 enters on line 44, in whole cents (halves up),
// and how it was found. With neither dividends nor a gain it is T(taxable
// income), where T is the Tax Table under $100,000 and the Tax Computation
// Worksheet from there on; otherwise the smaller of the worksheet's two
// taxes, whose steps `lines` holds.
struct figure {
  cents tax;
  tax::method method;
  figure_problem problem;  // where not none, there is no figure
  worksheet_lines lines;   // with capital_gain_worksheet
};

// The figure to file for a taxable income (Form 1040 line 43) and, of it, the
// qualified dividends (line 9b) and the net capital gain (the smaller of
// Schedule D lines 15 and 16, or line 13 without a Schedule D). A negative
// taxable income counts as 0, a loss as no gain.
figure filing_figure(cents taxable_income, filing_status status, cents qualified_dividends = 0,
                     cents capital_gain = 0);

}  // namespace tax

#endif  // TAX_FILING_FIGURE_HPP
