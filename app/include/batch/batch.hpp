// SPDX-License-Identifier: MIT
#ifndef BATCH_BATCH_HPP
#define BATCH_BATCH_HPP

#include <cstddef>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include <console/console.hpp>

namespace batch {

// Longest field taken, so that an unclosed quote cannot grow memory without
// bound.
constexpr std::size_t max_field_length = std::size_t{1} << 20;

// A refused row: the line it began on, and why.
struct refusal {
  long line;
  std::string reason;
};

// How the rows went.
struct totals {
  long rows = 0;
  long refused = 0;
  std::vector<refusal> first_refused;  // the first few
};

// How many refused rows totals keeps.
constexpr std::size_t refusals_kept = 5;

// CSV of returns in, CSV with their tax out, fed in pieces of any size (a
// file read in blocks, a browser's chunks). The first row of each file is its
// header: taxable_income (required), status, qualified_dividends and
// capital_gain, found by name in any order; other columns pass through. Each
// row goes out as it came (quoted where CSV needs it) with tax, schedule_tax,
// method and error after it. A UTF-8 byte-order mark may open a file; lines
// end in LF or CRLF; an empty line is no row.
class converter {
 public:
  converter();

  // Before each file.
  void start_file();

  // Converts what `bytes` completes, appending it to `out`. Returns what
  // stops the file ("line 3: ..."), or "" to go on.
  std::string feed(std::string_view bytes, std::string& out);

  // At the end of a file: its last row, or why the file is malformed.
  std::string finish(std::string& out);

  [[nodiscard]] const batch::totals& totals() const { return totals_; }

 private:
  // The reader reads from a field in place, through one stream made once.
  struct field_buffer : std::streambuf {
    void point_at(std::string& text);
  };

  std::string end_row(std::string& out);
  std::string take_header(std::string& out);
  void convert_row(std::string& out);
  // The amount in `column` (-1 where there is none) by the console's reader;
  // an optional one may be empty.
  console::reading read(long column, const char* name, bool required);
  void refuse(const std::string& reason);

  enum class state { field_start, unquoted, quoted, quote_in_quoted };
  state state_ = state::field_start;
  std::size_t bom_seen_ = 0;  // bytes of a byte-order mark taken at the file's start
  bool file_start_ = true;
  bool cr_pending_ = false;  // a CR outside quotes, which a LF may end the line with
  long line_ = 1;
  long row_line_ = 1;
  std::vector<std::string> fields_;
  std::size_t field_count_ = 0;
  bool have_header_ = false;
  std::vector<std::string> header_;                              // of the first file
  std::vector<std::string> file_header_;                         // of this file
  long income_ = -1, status_ = -1, dividends_ = -1, gain_ = -1;  // columns, -1 where absent
  std::string reason_;                                           // why this row is refused
  field_buffer buffer_;
  std::istream field_;
  std::ostringstream amount_;
  batch::totals totals_;
};

}  // namespace batch

#endif  // BATCH_BATCH_HPP
