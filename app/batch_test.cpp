// SPDX-License-Identifier: MIT
#include <batch/batch.hpp>
#include <string>

#include <gtest/gtest.h>

namespace {

const std::string added = ",tax,schedule_tax,method,error\n";

struct converted {
  std::string out;
  std::string error;
  long rows, refused, first_line;
};

// One file through the converter, fed `piece` bytes at a time.
converted convert(const std::string& csv, std::size_t piece) {
  batch::converter c;
  c.start_file();
  converted r{"", "", 0, 0, 0};
  for (std::size_t at = 0; at < csv.size() && r.error.empty(); at += piece) {
    r.error = c.feed(std::string_view(csv).substr(at, piece), r.out);
  }
  if (r.error.empty()) {
    r.error = c.finish(r.out);
  }
  r.rows = c.totals().rows;
  r.refused = c.totals().refused;
  r.first_line = c.totals().first_refused.empty() ? 0 : c.totals().first_refused[0].line;
  return r;
}

// Tricky files and the output they must give, whole and fed a byte at a time.
TEST(Batch, TrickyFiles) {
  const struct {
    std::string in;
    std::string out;
    std::string error;
    long refused, first_line;
  } cases[] = {
      {"id,taxable_income,status,qualified_dividends\nr1,50000,single,5000\nr2,abc,,\n",
       "id,taxable_income,status,qualified_dividends" + added +
           "r1,50000,single,5000,8350.00,8843.75,capital-gain-worksheet,\n"
           "r2,abc,,,,,,the income is not a number\n",
       "", 1, 3},
      // A byte-order mark, CRLF, quotes, a comma and a line break in a field.
      {"\xEF\xBB\xBFname,\"taxable_income\"\r\n\"Smith, J.\",357700.10\r\n\"a\nb "
       "\"\"c\"\"\",1e5\r\n",
       "name,taxable_income" + added +
           "\"Smith, J.\",357700.10,103791.79,103791.78,tax-computation-worksheet,\n"
           "\"a\nb \"\"c\"\"\",1e5,21978.25,21978.25,tax-computation-worksheet,\n",
       "", 0, 0},
      // Columns in any order, blanks around a number, empty lines, no final line break.
      {"capital_gain,status,taxable_income\n\n2000, married-jointly , 80000 "
       "\n-3000,married-separately,40000",
       "capital_gain,status,taxable_income" + added +
           "2000, married-jointly , 80000 ,12494.00,12687.50,capital-gain-worksheet,\n"
           "-3000,married-separately,40000,6350.00,6343.75,table,\n",
       "", 0, 0},
      // Refused rows stay, with their reasons; the rest go on.
      {"taxable_income,status,qualified_dividends,capital_gain\n"
       "50,000,,,\n$50000,,,\nnan,,,\n1e400,,,\n,,,\n50000,Single,,\n50000,,-1,\n50000,,5 000,\n"
       "50000,,,x\n50000\n50000,,,,\n1e20,,,\n\"50000\n60000\",,,\n\"5\"0,,,\n50000,head-of-"
       "household,,\n",
       "taxable_income,status,qualified_dividends,capital_gain" + added +
           "50,000,,,,,,\"the row has 5 fields, the header 4\"\n"
           "$50000,,,,,,,the income is not a number\n"
           "nan,,,,,,,the income is not a number\n"
           "1e400,,,,,,,the income is out of range\n"
           ",,,,,,,no income was entered\n"
           "50000,Single,,,,,,\"unknown filing status \"\"Single\"\"\"\n"
           "50000,,-1,,,,,the qualified dividends are negative\n"
           "50000,,5 000,,,,,qualified_dividends: the amount has a space inside it\n"
           "50000,,,x,,,,capital_gain: the amount is not a number\n"
           "50000,,,,,,,\"the row has 1 field, the header 4\"\n"
           "50000,,,,,,,\"the row has 5 fields, the header 4\"\n"
           "1e20,,,,,,,\"an amount is over $999,999,999,999,999.99\"\n"
           "\"50000\n60000\",,,,,,,the income holds more than one line\n"
           "50,,,,,,,a field goes on after its closing quote\n"
           "50000,head-of-household,,,7569.00,7562.50,table,\n",
       "", 14, 2},
      // What stops a file: after what was written.
      {"taxable_income\n5\n\"50000\n", "taxable_income" + added + "5,1.00,0.50,table,\n",
       "line 3: a quoted field is not closed", 0, 0},
      {"income,status\n50000,single\n", "", "no taxable_income column in the header", 0, 0},
      {"", "", "no header row", 0, 0},
      // Half a byte-order mark is data; so is a CR alone.
      {"\xEF\xBBtaxable_income\n5\n", "", "no taxable_income column in the header", 0, 0},
      {"income\r\n5\r\n", "", "no taxable_income column in the header", 0, 0},
      {"taxable_income,note,capital_gain\n5,a\rb,\"1\n2\"\r\n5,\"x\",\r",
       "taxable_income,note,capital_gain" + added +
           "5,\"a\rb\",\"1\n2\",,,,capital_gain: the amount holds more than one line\n"
           "5,x,,1.00,0.50,table,\n",
       "", 1, 2},
      {"taxable_income\n" + std::string(batch::max_field_length + 1, '5'), "taxable_income" + added,
       "line 2: a field is longer than 1 MiB", 0, 0},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {c.in.size() + 1, std::size_t{1}}) {
      const converted r = convert(c.in, piece);
      EXPECT_EQ(r.out, c.out) << c.in << " in pieces of " << piece;
      EXPECT_EQ(std::make_tuple(r.error, r.refused, r.first_line),
                std::make_tuple(c.error, c.refused, c.first_line))
          << c.in;
    }
  }
}

}  // namespace
