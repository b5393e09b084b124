// SPDX-License-Identifier: MIT
#include <algorithm>
#include <batch/batch.hpp>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include <console/console.hpp>
#include <tax/filing_figure.hpp>
#include <tax/tax_schedule.hpp>

namespace batch {
namespace {

constexpr std::string_view added_columns = ",tax,schedule_tax,method,error\n";
constexpr char bom[] = "\xEF\xBB\xBF";

// Appends `field` as CSV has it: in quotes, its quotes doubled, where it
// holds a comma, a quote or a line break.
void append_field(std::string& out, const std::string& field) {
  // A plain loop: find_first_of scans the field once for each character.
  const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
  if (std::none_of(field.begin(), field.end(), special)) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    out += c;
    if (c == '"') {
      out += '"';
    }
  }
  out += '"';
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos
             ? ""
             : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

long column(const std::vector<std::string>& header, std::string_view name) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (trimmed(header[i]) == name) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

}  // namespace

void converter::field_buffer::point_at(std::string& text) {
  setg(text.data(), text.data(), text.data() + text.size());
}

converter::converter() : field_(&buffer_) { fields_.emplace_back(); }

void converter::start_file() {
  state_ = state::field_start;
  bom_seen_ = 0;
  file_start_ = true;
  cr_pending_ = false;
  line_ = row_line_ = 1;
  field_count_ = 0;
  fields_[0].clear();
  file_header_.clear();
  reason_.clear();
}

std::string converter::feed(std::string_view bytes, std::string& out) {
  for (const char c : bytes) {
    if (file_start_) {
      if (bom_seen_ < 3 && c == bom[bom_seen_]) {
        file_start_ = ++bom_seen_ < 3;
        continue;
      }
      file_start_ = false;
      if (bom_seen_ > 0) {  // not a byte-order mark after all: its bytes are data
        fields_[0].append(bom, bom_seen_);
        state_ = state::unquoted;
      }
    }
    if (cr_pending_) {
      cr_pending_ = false;
      if (c == '\n') {
        std::string error = end_row(out);
        if (!error.empty()) {
          return error;
        }
        continue;
      }
      fields_[field_count_] += '\r';  // a CR alone is data
      state_ = state::unquoted;
    }
    std::string& field = fields_[field_count_];
    if (field.size() == max_field_length) {
      return "line " + std::to_string(row_line_) + ": a field is longer than " +
             std::to_string(max_field_length >> 20) + " MiB";
    }
    switch (state_) {
      case state::quoted:
        if (c == '"') {
          state_ = state::quote_in_quoted;
        } else {
          line_ += c == '\n';
          field += c;
        }
        continue;
      case state::quote_in_quoted:
        if (c == '"') {
          field += c;
          state_ = state::quoted;
          continue;
        }
        if (c != ',' && c != '\n' && c != '\r') {
          refuse("a field goes on after its closing quote");
          field += c;
          state_ = state::unquoted;
          continue;
        }
        break;
      case state::field_start:
        if (c == '"') {
          state_ = state::quoted;
          continue;
        }
        break;
      case state::unquoted:
        break;
    }
    if (c == ',') {
      ++field_count_;
      if (field_count_ == fields_.size()) {
        fields_.emplace_back();
      }
      fields_[field_count_].clear();
      state_ = state::field_start;
    } else if (c == '\r') {
      cr_pending_ = true;
    } else if (c == '\n') {
      std::string error = end_row(out);
      if (!error.empty()) {
        return error;
      }
    } else {
      field += c;
      state_ = state::unquoted;
    }
  }
  return "";
}

std::string converter::finish(std::string& out) {
  std::string error;
  if (state_ == state::quoted) {
    error = "line " + std::to_string(row_line_) + ": a quoted field is not closed";
  } else if (state_ != state::field_start || field_count_ > 0 || cr_pending_) {
    error = end_row(out);
  }
  if (error.empty() && file_header_.empty()) {
    error = "no header row";
  }
  start_file();
  return error;
}

std::string converter::end_row(std::string& out) {
  const bool empty_line = field_count_ == 0 && state_ == state::field_start;
  std::string error;
  if (!empty_line && file_header_.empty()) {
    error = take_header(out);
  } else if (!empty_line) {
    convert_row(out);
  }
  ++line_;
  row_line_ = line_;
  field_count_ = 0;
  fields_[0].clear();
  state_ = state::field_start;
  reason_.clear();
  return error;
}

std::string converter::take_header(std::string& out) {
  file_header_.assign(fields_.begin(), fields_.begin() + static_cast<long>(field_count_) + 1);
  if (have_header_) {
    return file_header_ == header_ ? "" : "its header is not the first file's";
  }
  income_ = column(file_header_, "taxable_income");
  if (income_ < 0) {
    return "no taxable_income column in the header";
  }
  status_ = column(file_header_, "status");
  dividends_ = column(file_header_, "qualified_dividends");
  gain_ = column(file_header_, "capital_gain");
  header_ = file_header_;
  have_header_ = true;
  for (std::size_t i = 0; i < header_.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    append_field(out, header_[i]);
  }
  out += added_columns;
  return "";
}

void converter::refuse(const std::string& reason) {
  if (reason_.empty()) {
    reason_ = reason;
  }
}

console::reading converter::read(long column, const char* name, bool required) {
  if (column < 0 || static_cast<std::size_t>(column) > field_count_) {
    return {0.0, console::problem::none};
  }
  std::string& text = fields_[static_cast<std::size_t>(column)];
  buffer_.point_at(text);
  field_.clear();
  console::reading r = console::read_income(field_);
  if (r.problem == console::problem::no_income && !required) {
    return {0.0, console::problem::none};
  }
  // The income's refusals are worded as the program words them; the other
  // amounts' are named by their column.
  const bool refused = r.problem != console::problem::none;
  if (refused || buffer_.in_avail() > 0) {
    const std::string what = required ? "income" : "amount";
    refuse(
        (required ? std::string() : name + std::string(": ")) +
        (refused ? console::words(r.problem, what) : "the " + what + " holds more than one line"));
  }
  return r;
}

void converter::convert_row(std::string& out) {
  ++totals_.rows;
  const std::size_t count = field_count_ + 1;
  if (count != header_.size()) {
    refuse("the row has " + std::to_string(count) + (count == 1 ? " field" : " fields") +
           ", the header " + std::to_string(header_.size()));
  }
  const console::reading income = read(income_, "taxable_income", true);
  const console::reading dividends = read(dividends_, "qualified_dividends", false);
  const console::reading gain = read(gain_, "capital_gain", false);
  tax::filing_status status = tax::filing_status::single;
  if (status_ >= 0 && static_cast<std::size_t>(status_) < count) {
    const std::string_view name = trimmed(fields_[static_cast<std::size_t>(status_)]);
    if (!name.empty()) {
      const auto named = tax::filing_status_named(name);
      if (!named) {
        refuse("unknown filing status \"" + std::string(name) + "\"");
      }
      status = named.value_or(status);
    }
  }
  tax::figure f{};
  if (reason_.empty()) {
    f = tax::filing_figure(income.cents, status, dividends.cents, gain.cents);
    if (f.problem != tax::figure_problem::none) {
      refuse(std::string(tax::words(f.problem)));
    }
  }

  for (std::size_t i = 0; i < header_.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    if (i < count) {
      append_field(out, fields_[i]);
    }
  }
  if (reason_.empty()) {
    out += ',';
    out += console::cents_text(f.tax);
    amount_.str("");
    console::write_amount(amount_, tax::compute_tax(income.income, status));
    out += ',';
    out += amount_.str();
    out += ',';
    out += tax::name_of(f.method);
    out += ",\n";
    return;
  }
  out += ",,,,";
  append_field(out, reason_);
  out += '\n';
  ++totals_.refused;
  if (totals_.first_refused.size() < refusals_kept) {
    totals_.first_refused.push_back({row_line_, reason_});
  }
}

}  // namespace batch
