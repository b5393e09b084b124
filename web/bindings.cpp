// SPDX-License-Identifier: MIT
// What the page calls: the console's own reader and result line on the text
// typed, for the filing status chosen, and the figures the page shows
// beside its answer.
#include <emscripten/bind.h>

#include <batch/batch.hpp>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include <console/console.hpp>
#include <tax/filing_figure.hpp>
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
  std::string figure;     // the figure to file in cents, "8350.00", or empty
  std::string method;     // how it was found: tax::name_of(method)
  std::string worksheet;  // with the capital-gain worksheet, its steps' amounts, spaced
  std::string taken_to;   // each amount to the cent, spaced: income, dividends, gain
  std::string whole;      // for each, "1" where that was the amount typed, else "0"
  std::string refused;    // the box with the error: "income", "qualified-dividends", ...
};

// Refuses the answer for what is in box `id`, named `name`, unless it was
// refused already.
void refuse(answer& a, const char* id, const char* name, const std::string& words) {
  if (a.refused.empty()) {
    a.error = name + (": " + words);
    a.refused = id;
  }
}

// An optional box: empty is 0.
console::reading read_box(const std::string& typed, const char* id, const char* name, answer& a) {
  std::istringstream in(typed + "\n");
  console::reading r = console::read_income(in);
  if (r.problem == console::problem::no_income) {
    r = {0.0, console::problem::none};
  } else if (r.problem != console::problem::none) {
    refuse(a, id, name, console::refusal(r.problem, "amount"));
  }
  return r;
}

// Hundredths of a cent as dollars, with only the decimals it needs past two.
std::string exact_text(tax::cent_hundredths h) {
  std::string text = console::cents_text(h / 100) + std::to_string(100 + h % 100).substr(1);
  for (int drop = 0; drop < 2 && text.back() == '0'; ++drop) {
    text.pop_back();
  }
  return text;
}

tax::filing_status status_named(const std::string& name) {
  return tax::filing_status_named(name).value_or(tax::filing_status::single);
}

// The console's reading of what was typed and the line break that ends it,
// and for a number, the result line for `status`: for a single filer, the
// very line the program prints. Then the figure to file, with the qualified
// dividends and capital gain typed in their boxes.
answer answer_for(const std::string& typed, const std::string& status_name,
                  const std::string& dividends_typed, const std::string& gain_typed) {
  std::istringstream in(typed + "\n");
  const console::reading r = console::read_income(in);
  answer a{"", "", r.income, "", none, none, none, "", "", "", "", "", ""};
  if (r.problem != console::problem::none) {
    a.error = console::refusal(r.problem);
    a.refused = "income";
    return a;
  }
  const console::reading dividends =
      read_box(dividends_typed, "qualified-dividends", "Qualified dividends", a);
  const console::reading gain = read_box(gain_typed, "capital-gain", "Net capital gain", a);
  if (!a.refused.empty()) {
    return a;
  }
  const tax::filing_status status = status_named(status_name);
  const tax::figure f = tax::filing_figure(r.cents, status, dividends.cents, gain.cents);
  if (f.problem == tax::figure_problem::negative_dividends) {
    refuse(a, "qualified-dividends", "Qualified dividends",
           "they are never below 0; type the amount on Form 1040, line 9b");
    return a;
  }
  if (f.problem == tax::figure_problem::none) {
    a.figure = console::cents_text(f.tax);
    a.method = tax::name_of(f.method);
  }
  for (const console::reading* amount : {&r, &dividends, &gain}) {
    a.taken_to += (a.taken_to.empty() ? "" : " ") + console::cents_text(amount->cents);
    a.whole += amount->whole_cents ? "1" : "0";
  }
  if (f.method == tax::method::capital_gain_worksheet) {
    const tax::worksheet_lines& w = f.lines;
    for (const tax::cents c : {w.taxable_income, w.qualified_dividends, w.capital_gain, w.both,
                               w.rest, w.bracket_part, w.at_zero, w.at_fifteen}) {
      a.worksheet += console::cents_text(c) + " ";
    }
    for (const tax::cent_hundredths h :
         {w.fifteen_percent, w.tax_on_rest, w.with_gains, w.tax_on_all}) {
      a.worksheet += exact_text(h) + " ";
    }
    a.worksheet += a.figure;
  }
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

// One CSV file through the batch converter, in the page's worker: bytes in,
// bytes out, never decoded on the way. A worker converts one file, so the
// converter is the worker's one.
batch::converter& converter() {
  static batch::converter c;
  return c;
}
std::string converted;

void batch_start() { converter().start_file(); }
std::string batch_feed(const std::string& bytes) { return converter().feed(bytes, converted); }
std::string batch_finish() { return converter().finish(converted); }

// What is converted so far, taken.
emscripten::val batch_take() {
  const emscripten::val bytes =
      emscripten::val(emscripten::typed_memory_view(converted.size(), converted.data()))
          .call<emscripten::val>("slice");
  converted.clear();
  return bytes;
}

// {rows, refused, first: [{line, reason}, ...]}
emscripten::val batch_totals() {
  const batch::totals& t = converter().totals();
  emscripten::val result = emscripten::val::object();
  result.set("rows", static_cast<double>(t.rows));
  result.set("refused", static_cast<double>(t.refused));
  emscripten::val first = emscripten::val::array();
  for (const batch::refusal& r : t.first_refused) {
    emscripten::val row = emscripten::val::object();
    row.set("line", static_cast<double>(r.line));
    row.set("reason", r.reason);
    first.call<void>("push", row);
  }
  result.set("first", first);
  return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(tax2008) {
  emscripten::function("batch_start", &batch_start);
  emscripten::function("batch_feed", &batch_feed);
  emscripten::function("batch_finish", &batch_finish);
  emscripten::function("batch_take", &batch_take);
  emscripten::function("batch_totals", &batch_totals);
  using emscripten::value_object;
  value_object<answer>("Answer")
      .field("result", &answer::result)
      .field("error", &answer::error)
      .field("income", &answer::income)
      .field("income_text", &answer::income_text)
      .field("table_tax", &answer::table_tax)
      .field("table_at_least", &answer::table_at_least)
      .field("table_less_than", &answer::table_less_than)
      .field("figure", &answer::figure)
      .field("method", &answer::method)
      .field("worksheet", &answer::worksheet)
      .field("taken_to", &answer::taken_to)
      .field("whole", &answer::whole)
      .field("refused", &answer::refused);
  value_object<tax::bracket>("Bracket")
      .field("lower_bound", &tax::bracket::lower_bound)
      .field("upper_bound", &tax::bracket::upper_bound)
      .field("rate", &tax::bracket::rate)
      .field("base_tax", &tax::bracket::base_tax);
  emscripten::function("answer", &answer_for);
  emscripten::function("schedule", &schedule);
}
