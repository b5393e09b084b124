// SPDX-License-Identifier: MIT
// What the page calls: the console's own exchange on the text typed, and the
// figures the page shows beside its answer.
#include <emscripten/bind.h>

#include <limits>
#include <sstream>
#include <string>

#include <tax/tax_schedule.hpp>
#include <tax/tax_table.hpp>

#include "console.hpp"

namespace {

struct answer {
  std::string result;  // the console's result line, or empty
  std::string error;   // the console's error line without "tax2008: ", or empty
  double income;       // as the reader read it, with a result
  double table_tax;    // the Tax Table's amount, NaN where it has none
};

// The console's exchange on what was typed and the line break that ends it.
answer answer_for(const std::string& typed) {
  const std::string input = typed + "\n";
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  answer a{"", "", 0.0, std::numeric_limits<double>::quiet_NaN()};
  if (console::run(in, out, err) != 0) {
    const std::string line = err.str();  // "tax2008: ", the error, a line break
    const std::size_t start = line.find(": ") + 2;
    a.error = line.substr(start, line.size() - start - 1);
    return a;
  }
  const std::string text = out.str();  // the prompt, a line break, the result line
  const std::size_t start = text.find('\n') + 1;
  a.result = text.substr(start, text.size() - start - 1);
  // The reader once more, for the income behind the amount.
  std::istringstream again(input);
  a.income = console::read_income(again).income;
  a.table_tax = tax::table_tax(a.income).value_or(a.table_tax);
  return a;
}

// The schedule as a plain array, which the page needs no handle to free.
emscripten::val schedule() {
  emscripten::val rows = emscripten::val::array();
  for (const tax::bracket& row : tax::rate_schedule) {
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
      .field("table_tax", &answer::table_tax);
  value_object<tax::bracket>("Bracket")
      .field("lower_bound", &tax::bracket::lower_bound)
      .field("upper_bound", &tax::bracket::upper_bound)
      .field("rate", &tax::bracket::rate)
      .field("base_tax", &tax::bracket::base_tax);
  emscripten::function("answer", &answer_for);
  emscripten::function("schedule", &schedule);
}
