// SPDX-License-Identifier: MIT
// Drives the real tax2008 executable: through pipes and a terminal on POSIX
// systems, through files on Windows, for what takes a process: streams,
// terminals, read and write errors, memory, line ends.
#include <cerrno>
#include <cstring>
#include <locale>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "test_process.hpp"

namespace {

const std::string prompt = "Please enter your 2008 taxable income: ";
// Windows' C library writes each line break as CR LF.
const std::string eol = have_posix ? "\n" : "\r\n";
const std::string advice =
    "; type a plain number such as 50000 or 50000.00, without spaces, commas or a dollar sign";

std::string result_line(const std::string& amount) {
  return prompt + eol + "Your 2008 tax is: $" + amount + eol;
}

std::string error_line(const std::string& what) { return "tax2008: " + what + eol; }

// The program through a pipe or a file, end to end: the console cases file
// holds the rest, run in-process.
TEST(Console, ThroughAProcess) {
  const struct {
    const char* input;
    std::string out;
    std::string err;
    int exit_status;
  } cases[] = {
      {"50000\n", result_line("8843.75"), "", 0},
      {"50000\n60000\n", result_line("8843.75"), "", 0},
      {"50 000\n", prompt, error_line("the income has a space inside it" + advice), 1},
      {"", prompt, error_line("no income was entered" + advice), 1},
  };
  for (const auto& c : cases) {
    const child_result r = run_program(c.input);
    EXPECT_EQ(r.out, c.out) << c.input;
    EXPECT_EQ(r.err, c.err) << c.input;
    EXPECT_EQ(r.exit_status, c.exit_status) << c.input;
  }
}

// Terminals, closed descriptors, /dev/full, sockets and peak memory are
// POSIX's; on Windows the console cases carry the program's behaviour.
class posix_only : public testing::Test {
 protected:
  void SetUp() override {
    if (!have_posix) {
      GTEST_SKIP() << "needs POSIX: terminals, closed descriptors, /dev/full, sockets, peak memory";
    }
  }
};

class Streams : public posix_only {};

// A person at a terminal sees the prompt before typing, then their own line,
// an empty line and the result. Nothing typed on the line is left for the
// shell to run, also after a number too long to take.
TEST_F(Streams, TerminalSession) {
  const struct {
    std::string typed;
    std::string screen;  // after the prompt and the echo of the line typed
    int exit_status;
  } cases[] = {
      {"50000\n", "\r\nYour 2008 tax is: $8843.75\r\n", 0},
      {"12 abc; echo hi\n", "\r\nYour 2008 tax is: $1.20\r\n", 0},
      {std::string(1100, '9') + "x; echo hi\n",
       "tax2008: the income is longer than 1000 characters" + advice + "\r\n", 1},
  };
  for (const auto& c : cases) {
    const child_result r = run_in_terminal(prompt, c.typed);
    const std::string echo = c.typed.substr(0, c.typed.size() - 1) + "\r\n";
    EXPECT_EQ(r.out, prompt + echo + c.screen) << c.typed.substr(0, 20);
    EXPECT_EQ(r.left_unread, "") << c.typed.substr(0, 20);
    EXPECT_EQ(r.exit_status, c.exit_status);
  }
}

// The program answers once it has the number and what ends it, as at a
// terminal where the input never ends by itself.
TEST_F(Streams, AnswersWithoutWaitingForTheEndOfInput) {
  child_options options;
  options.keep_input_open = true;
  const struct {
    const char* input;
    int exit_status;
  } cases[] = {{"50000\n", 0}, {"12 abc\n", 0}, {"abc \n", 1}, {"50,000\n", 1}, {"50 000\n", 1}};
  for (const auto& c : cases) {
    const child_result r = run_program(c.input, options);
    EXPECT_FALSE(r.timed_out) << c.input;
    EXPECT_EQ(r.exit_status, c.exit_status) << c.input;
  }
}

// Standard input that cannot be read, or output that cannot be written, is
// named with the system's reason, also where reading the number itself set
// errno (1e-400 underflows).
TEST_F(Streams, ErrorsAreNamedWithTheirReason) {
  const struct {
    stream_setup in;
    stream_setup out;
    const char* input;
    const char* what;
    int error;
  } cases[] = {
      {stream_setup::directory, stream_setup::pipe, "50000\n", "cannot read standard input",
       EISDIR},
      {stream_setup::closed, stream_setup::pipe, "50000\n", "cannot read standard input", EBADF},
      {stream_setup::pipe, stream_setup::dev_full, "50000\n", "cannot write to standard output",
       ENOSPC},
      {stream_setup::pipe, stream_setup::dev_full, "1e-400\n", "cannot write to standard output",
       ENOSPC},
      {stream_setup::pipe, stream_setup::closed, "50000\n", "cannot write to standard output",
       EBADF},
  };
  for (const auto& c : cases) {
    child_options options;
    options.in = c.in;
    options.out = c.out;
    const child_result r = run_program(c.input, options);
    EXPECT_EQ(r.err, error_line(std::string(c.what) + ": " + strerror(c.error))) << c.input;
    EXPECT_EQ(r.exit_status, 1);
  }
}

// Standard error as a socket that keeps each write apart: each kind of error
// line, for the input and for a failed write, must come as one write, so
// that no other writer can split it.
TEST_F(Streams, ErrorLineIsOneWrite) {
  const struct {
    stream_setup out;
    const char* input;
    const char* starts;
  } cases[] = {{stream_setup::pipe, "50 000\n", "tax2008: the income has a space inside it"},
               {stream_setup::dev_full, "50000\n", "tax2008: cannot write to standard output"}};
  for (const auto& c : cases) {
    child_options options;
    options.out = c.out;
    options.err = stream_setup::packets;
    const child_result r = run_program(c.input, options);
    EXPECT_EQ(r.err.rfind(c.starts, 0), 0U) << r.err;
    EXPECT_EQ(r.err_writes, 1) << r.err;
    EXPECT_EQ(r.exit_status, 1);
  }
}

// Input and surroundings that a careless or hostile caller may give: the
// program must end with an amount or a one-line error, in bounded memory.
class HostileInput : public posix_only {
 protected:
  // Peak memory above that of a run on a short input. The child's peak
  // counts the test's own size at the fork, so only the difference matters.
  static long extra_memory_kib(const child_result& r) {
    static const long baseline = run_program("50000\n").peak_memory_kib;
    return r.peak_memory_kib - baseline;
  }
  // A reader that kept its input would need 16 or 64 MiB more.
  static constexpr long memory_limit_kib = 4L * 1024;
};

TEST_F(HostileInput, HugeWhiteSpaceBeforeTheNumberInSmallMemory) {
  child_options options;
  options.repeat = 1024;  // 64 MiB
  options.tail = "\n\t50000\n";
  const child_result r = run_program(std::string(64 << 10, ' '), options);
  EXPECT_EQ(r.out, result_line("8843.75"));
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_LT(extra_memory_kib(r), memory_limit_kib);
}

// The program must stop reading an endless number and say so.
TEST_F(HostileInput, EndlessDigitsAreRefusedInSmallMemory) {
  child_options options;
  options.repeat = 256;  // 16 MiB
  const child_result r = run_program(std::string(64 << 10, '7'), options);
  EXPECT_EQ(r.out, prompt);
  EXPECT_EQ(r.err, error_line("the income is longer than 1000 characters" + advice));
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_LT(extra_memory_kib(r), memory_limit_kib);
}

// A locale with a decimal comma and digit grouping in the environment must
// change nothing: the output keeps a full stop and no grouping, and a comma
// is still refused. (A static build cannot load named locales at all; the
// shared builds, such as the sanitizer one, are where this would bite.)
TEST_F(HostileInput, ForeignLocaleInTheEnvironment) {
  try {
    std::locale("de_DE.UTF-8");
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "de_DE.UTF-8 is not installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  }
  child_options options;
  options.environment = {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"};
  const child_result ok = run_program("1000000\n", options);
  EXPECT_EQ(ok.out, result_line("328596.75"));
  EXPECT_EQ(ok.exit_status, 0);
  const child_result comma = run_program("50000,00\n", options);
  EXPECT_EQ(comma.out, prompt);
  EXPECT_EQ(comma.exit_status, 1);
}

}  // namespace
