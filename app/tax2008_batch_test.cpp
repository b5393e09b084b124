// SPDX-License-Identifier: MIT
// Drives the real tax2008-batch executable: files, standard input, options,
// exit statuses and write errors.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_process.hpp"

namespace {

const std::string header = "id,taxable_income,status,qualified_dividends";
const std::string added = ",tax,schedule_tax,method,error\n";
const std::string r1 = "r1,50000,single,5000,8350.00,8843.75,capital-gain-worksheet,\n";

std::string file(const std::string& name, const std::string& text) {
  std::string path = std::string(TAX2008_TEST_DIR) + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string contents(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Batch, ThroughAProcess) {
  const std::string first = file("first.csv", header + "\nr1,50000,single,5000\n");
  const std::string other = file("other.csv", "taxable_income\n5\n");
  std::string many;
  std::string many_out;
  for (int i = 0; i < 5000; ++i) {
    many += "50000\n";
    many_out += "50000,8850.00,8843.75,table,\n";
  }
  const std::string open_quote = file("open.csv", header + "\nr1,50000,single,5000\n\"r2,5\n");
  const struct {
    std::vector<std::string> arguments;
    std::string input, out, err;
    int exit_status;
  } cases[] = {
      {{},
       header + "\nr1,50000,single,5000\nr2,abc,,\n",
       header + added + r1 + "r2,abc,,,,,,the income is not a number\n",
       "tax2008-batch: 1 of 2 rows refused; the first, standard input line 3: the income is not a "
       "number\n",
       1},
      {{first, "-", first},
       "\xEF\xBB\xBF" + header + "\r\nr1,50000,single,5000\r\n",
       header + added + r1 + r1 + r1,
       "",
       0},
      {{first, other},
       "",
       header + added + r1,
       "tax2008-batch: " + other + ": its header is not the first file's\n",
       1},
      {{open_quote},
       "",
       header + added + r1,
       "tax2008-batch: " + open_quote + ": line 3: a quoted field is not closed\n",
       1},
      {{first, "no-such.csv"},
       "",
       header + added + r1,
       "tax2008-batch: no-such.csv: No such file or directory\n",
       1},
      // The page's tests read the same pair of files.
      {{TAX2008_BATCH_CASES},
       "",
       contents(TAX2008_BATCH_EXPECTED),
       "tax2008-batch: 6 of 15 rows refused; the first, " TAX2008_BATCH_CASES
       " line 9: the number runs into other characters\n",
       1},
      // Past one block of output, and a file that cannot be read.
      {{"--", first}, "", header + added + r1, "", 0},
      {{}, "taxable_income\n" + many, "taxable_income" + added + many_out, "", 0},
      {{"/"},
       "",
       "",
       have_posix ? "tax2008-batch: /: Is a directory\n" : "tax2008-batch: /: Permission denied\n",
       1},
      {{"--version"}, "", "tax2008-batch " TAX2008_VERSION "\n", "", 0},
      {{"--bogus"}, "", "", "tax2008-batch: unknown option --bogus; see tax2008-batch --help\n", 1},
  };
  for (const auto& c : cases) {
    child_options options;
    options.arguments = c.arguments;
    const child_result r = run_program(c.input, options);
    EXPECT_EQ(r.out, c.out) << c.input;
    EXPECT_EQ(r.err, c.err) << c.input;
    EXPECT_EQ(r.exit_status, c.exit_status) << c.input;
  }
  child_options help;
  help.arguments = {"--help"};
  EXPECT_EQ(run_program("", help).out.rfind("Usage: tax2008-batch [FILE]...\n", 0), 0U);
}

// A failed write is an error, as it is for tax2008.
TEST(Batch, WriteErrors) {
  if (!have_posix) {
    GTEST_SKIP() << "needs POSIX: /dev/full";
  }
  std::string rows = "taxable_income\n";
  for (int i = 0; i < 5000; ++i) {
    rows += "50000\n";  // past one block of output
  }
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"--help"},
        std::vector<std::string>{"-"}}) {
    child_options options;
    options.out = stream_setup::dev_full;
    options.arguments = arguments;
    const child_result r =
        run_program(arguments.empty() ? "taxable_income\n50000\n" : rows, options);
    EXPECT_EQ(r.err, "tax2008-batch: cannot write to standard output: No space left on device\n");
    EXPECT_EQ(r.exit_status, 1);
  }
}

}  // namespace
