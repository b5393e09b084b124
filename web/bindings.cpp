// SPDX-License-Identifier: MIT
// What the page calls: the console's own reader and result line on the text
// typed, for the filing status chosen, and the figures the page shows
// beside its answer.
#include <emscripten/bind.h>

#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include <console/console.hpp>
#include <tax/tax_schedule.hpp>
#include <tax/tax_table.hpp>

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

struct answer {
  std::string result;       // the console's result line, or empty
  std::string error;        // the console's error line without "tax2008: ", or empty
  double income;            // as the reader read it, with a result
  std::string income_text;  // the same with two decimals, as the amount is printed
  double table_tax;         // the Tax Table's amount, NaN where it has none
  double table_at_least;    // and the bounds of its row
  double table_less_than;
};

tax::filing_status status_named(const std::string& name) {
  return tax::filing_status_named(name).value_or(tax::filing_status::single);
}

// The console's reading of what was typed and the line break that ends it,
// and for a number, the result line for `status`: for a single filer, the
// very line the program prints.
answer answer_for(const std::string& typed, const std::string& status_name) {
  std::istringstream in(typed + "\n");
  const console::reading r = console::read_income(in);
  answer a{"", "", r.income, "", none, none, none};
  if (r.problem != console::problem::none) {
    a.error = console::refusal(r.problem);
    return a;
  }
  const tax::filing_status status = status_named(status_name);
  std::ostringstream out;
  console::write_result(out, tax::compute_tax(r.income, status));
  const std::string line = out.str();  // a line break, the result, a line break
  a.result = line.substr(1, line.size() - 2);
  std::ostringstream income;
  console::write_amount(income, r.income);
  a.income_text = income.str();
  if (const std::optional<tax::table_row> row = tax::table_row_of(r.income, status)) {
    a.table_tax = row->tax;
    a.table_at_least = row->at_least;
    a.table_less_than = row->less_than;
  }
  return a;
}

// The status's schedule as a plain array, which the page needs no handle to
// free.
emscripten::val schedule(const std::string& status_name) {
  emscripten::val rows = emscripten::val::array();
  for (const tax::bracket& row : tax::schedule_of(status_named(status_name))) {
    rows.call<void>("push", row);
  }
  return rows;
}

}  // namespace

EMSCRIPTEN_BINDINGS(tax2008) {
  using emscripten::value_object;
  value_object<answer>("Answer")
      .field("result", &answer::result)
      .field("error", &answer::error)
      .field("income", &answer::income)
      .field("income_text", &answer::income_text)
      .field("table_tax", &answer::table_tax)
      .field("table_at_least", &answer::table_at_least)
      .field("table_less_than", &answer::table_less_than);
  value_object<tax::bracket>("Bracket")
      .field("lower_bound", &tax::bracket::lower_bound)
      .field("upper_bound", &tax::bracket::upper_bound)
      .field("rate", &tax::bracket::rate)
      .field("base_tax", &tax::bracket::base_tax);
  emscripten::function("answer", &answer_for);
  emscripten::function("schedule", &schedule);
}
