// Drives the real tax2008 executable through pipes and a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "test_process.hpp"

namespace {

const std::string prompt = "Please enter your 2008 taxable income: ";

child_result run(const std::string& input, const child_options& options = {}) {
  return run_program(TAX2008_EXE, input, options);
}

// One error line: "tax2008: ", printable ASCII only (no input is echoed).
void expect_error_line(const std::string& err) {
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.rfind("tax2008: ", 0), 0U) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  for (std::size_t i = 0; i + 1 < err.size(); ++i) {
    EXPECT_TRUE(err[i] >= ' ' && err[i] <= '~') << "byte " << i << " of " << err;
  }
}

struct console_case {
  std::string name;
  std::string input;
  std::string amount;  // empty when the input is refused
};

void PrintTo(const console_case& c, std::ostream* os) { *os << c.name; }

class ValidIncome : public testing::TestWithParam<console_case> {};

TEST_P(ValidIncome, PrintsTheTaxAndExitsZero) {
  const child_result r = run(GetParam().input);
  EXPECT_EQ(r.out, prompt + "\nYour 2008 tax is: $" + GetParam().amount + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_status, 0);
}

std::string case_name(const testing::TestParamInfo<console_case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Console, ValidIncome,
    testing::Values(console_case{"middle_bracket", "50000\n", "8843.75"},
                    console_case{"first_threshold", "8025\n", "802.50"},
                    console_case{"top_threshold", "357700\n", "103791.75"},
                    console_case{"exponent", "1e6\n", "328596.75"},
                    console_case{"plus_sign", "+12\n", "1.20"},
                    console_case{"text_after_space_unread", "12 abc\n", "1.20"},
                    console_case{"negative", "-5000\n", "0.00"},
                    console_case{"empty_lines_first", "\n\n\n8025\n", "802.50"},
                    console_case{"second_number_unread", "50000\n60000\n", "8843.75"},
                    console_case{"no_line_break", "50000", "8843.75"},
                    console_case{"tabs_and_crlf", " \t50000\r\n", "8843.75"},
                    console_case{"underflow", "1e-400\n", "0.00"},
                    console_case{"negative_zero", "-0\n", "0.00"},
                    console_case{"one_cent", "0.01\n", "0.00"},
                    console_case{"fused_multiply_add_would_differ", "11439.70\n", "1314.70"},
                    console_case{"halfway_cent", "32551.5\n", "4481.62"},
                    console_case{"billion", "1000000000\n", "349978596.75"},
                    console_case{"leading_point", ".5e5\n", "8843.75"},
                    console_case{"longest_number", std::string(995, '0') + "50000\n", "8843.75"}),
    case_name);

class RefusedIncome : public testing::TestWithParam<console_case> {};

// The prompt and nothing more on standard output, one line on standard
// error, status 1: never an amount for something that is not an income.
TEST_P(RefusedIncome, ReportsAnErrorAndExitsOne) {
  const child_result r = run(GetParam().input);
  EXPECT_EQ(r.out, prompt);
  expect_error_line(r.err);
  EXPECT_NE(r.err.find("such as 50000"), std::string::npos) << r.err;
  EXPECT_EQ(r.exit_status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Console, RefusedIncome,
    testing::Values(
        console_case{"empty", "", ""}, console_case{"only_white_space", "   \n\n\t", ""},
        console_case{"word", "abc\n", ""}, console_case{"dollar_sign", "$50000\n", ""},
        console_case{"nan", "nan\n", ""}, console_case{"inf", "inf\n", ""},
        console_case{"lone_sign", "-\n", ""}, console_case{"comma", "50,000\n", ""},
        console_case{"letters_after", "12abc\n", ""}, console_case{"dollar_after", "50000$\n", ""},
        console_case{"letter_after_exponent", "1e5x\n", ""},
        console_case{"hexadecimal", "0x1A\n", ""}, console_case{"two_points", "12.34.56\n", ""},
        console_case{"overflow", "1e400\n", ""}, console_case{"negative_overflow", "-1e400\n", ""},
        console_case{"empty_exponent", "1e\n", ""},
        console_case{"terminal_escapes", "\x1b[2J\x1b]0;title\a\n", ""},
        console_case{"nul_after", std::string("12\0", 3), ""},
        console_case{"too_long", std::string(996, '0') + "50000\n", ""}),
    case_name);

TEST(Console, OutputThatCannotBeWrittenIsAnError) {
  for (stream_setup out : {stream_setup::dev_full, stream_setup::closed}) {
    child_options options;
    options.out = out;
    const child_result r = run("50000\n", options);
    expect_error_line(r.err);
    EXPECT_EQ(r.exit_status, 1);
  }
}

// A person at a terminal sees the prompt before typing, then their own line,
// an empty line and the result.
TEST(Console, TerminalSession) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string terminal = ptsname(master);

  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setsid();
    const int slave = open(terminal.c_str(), O_RDWR);
    for (int fd = 0; fd < 3; ++fd) {
      dup2(slave, fd);
    }
    close(master);
    close(slave);
    execl(TAX2008_EXE, TAX2008_EXE, static_cast<char*>(nullptr));
    _exit(127);
  }

  std::string screen;
  const auto read_until = [&](const std::string& end) {
    while (screen.size() < end.size() ||
           screen.compare(screen.size() - end.size(), end.size(), end) != 0) {
      pollfd fd{master, POLLIN, 0};
      if (poll(&fd, 1, 10000) <= 0) {
        return false;
      }
      char chunk[256];
      const ssize_t n = read(master, chunk, sizeof chunk);
      if (n <= 0) {
        return false;
      }
      screen.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
  };

  ASSERT_TRUE(read_until(prompt)) << screen;
  EXPECT_EQ(screen, prompt);
  ASSERT_EQ(write(master, "50000\n", 6), 6);
  read_until("8843.75\r\n");
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  close(master);

  EXPECT_EQ(screen, prompt + "50000\r\n\r\nYour 2008 tax is: $8843.75\r\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
