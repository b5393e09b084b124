// Drives the real tax2008 executable through pipes and a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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
  // cppcheck-suppress unusedStructMember
  std::string input;
  std::string amount;  // "refused" when the input holds no valid income
};

void PrintTo(const console_case& c, std::ostream* os) { *os << c.name; }

std::string unescape(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n':
        bytes += '\n';
        break;
      case 't':
        bytes += '\t';
        break;
      case 'r':
        bytes += '\r';
        break;
      case 'a':
        bytes += '\a';
        break;
      case '0':
        bytes += '\0';
        break;
      case 'x':
        bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
        break;
      default:
        bytes += text[i];
    }
  }
  return bytes;
}

// The cases shared with the cross-target check, which runs them on every platform.
std::vector<console_case> load_cases(bool refused) {
  std::vector<console_case> cases;
  std::ifstream file(TAX2008_CONSOLE_CASES);
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    if (line.empty() || line[0] == '#' || tab2 == std::string::npos) {
      continue;
    }
    console_case c{line.substr(0, tab1), unescape(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                   line.substr(tab2 + 1)};
    if ((c.amount == "refused") == refused) {
      cases.push_back(c);
    }
  }
  return cases;
}

std::string case_name(const testing::TestParamInfo<console_case>& info) { return info.param.name; }

class ValidIncome : public testing::TestWithParam<console_case> {};

TEST_P(ValidIncome, PrintsTheTaxAndExitsZero) {
  const child_result r = run(GetParam().input);
  EXPECT_EQ(r.out, prompt + "\nYour 2008 tax is: $" + GetParam().amount + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_status, 0);
}

INSTANTIATE_TEST_SUITE_P(Console, ValidIncome, testing::ValuesIn(load_cases(false)), case_name);

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

INSTANTIATE_TEST_SUITE_P(Console, RefusedIncome, testing::ValuesIn(load_cases(true)), case_name);

// Guards against a case file that fails to load and so tests nothing.
TEST(Console, CaseFileLoads) {
  EXPECT_GE(load_cases(false).size(), 15U);
  EXPECT_GE(load_cases(true).size(), 15U);
}

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
  char terminal[64] = {};
  ASSERT_EQ(ptsname_r(master, terminal, sizeof terminal), 0);

  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setsid();
    const int slave = open(terminal, O_RDWR);
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

// Input and surroundings that a careless or hostile caller may give: the
// program must end with an amount or a one-line error, in bounded memory.

const std::string result_50000 = prompt + "\nYour 2008 tax is: $8843.75\n";

// Peak memory above that of a run on a short input. The child's peak counts
// the test's own size at the fork, so only the difference says anything.
long extra_memory_kib(const child_result& r) {
  static const long baseline = run("50000\n").peak_memory_kib;
  return r.peak_memory_kib - baseline;
}

// A reader that kept its input would need 16 or 64 MiB more.
constexpr long memory_limit_kib = 4L * 1024;

TEST(HostileInput, UnreadableStandardInputIsAnError) {
  for (stream_setup in : {stream_setup::closed, stream_setup::directory}) {
    child_options options;
    options.in = in;
    const child_result r = run("", options);
    EXPECT_EQ(r.out, prompt);
    expect_error_line(r.err);
    EXPECT_EQ(r.exit_status, 1);
  }
}

TEST(HostileInput, HugeWhiteSpaceBeforeTheNumberInSmallMemory) {
  child_options options;
  options.repeat = 1024;  // 64 MiB
  options.tail = "\n\t50000\n";
  const child_result r = run(std::string(64 << 10, ' '), options);
  EXPECT_EQ(r.out, result_50000);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_LT(extra_memory_kib(r), memory_limit_kib);
}

// The program must stop reading an endless number and say so.
TEST(HostileInput, EndlessDigitsAreRefusedInSmallMemory) {
  child_options options;
  options.repeat = 256;  // 16 MiB
  const child_result r = run(std::string(64 << 10, '7'), options);
  EXPECT_EQ(r.out, prompt);
  expect_error_line(r.err);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_LT(extra_memory_kib(r), memory_limit_kib);
}

// Whatever the bytes, one of two outcomes, and never an echo of the input.
TEST(HostileInput, RandomBytes) {
  std::mt19937 random(2008);
  for (int i = 0; i < 50; ++i) {
    std::string input(static_cast<std::size_t>(random() % 64), '\0');
    std::generate(input.begin(), input.end(), [&] { return static_cast<char>(random()); });
    if (i % 2 == 0) {
      input.insert(0, "1");  // also numbers run into binary junk
    }
    const child_result r = run(input);
    if (r.exit_status == 0) {
      EXPECT_EQ(r.out.rfind(prompt + "\nYour 2008 tax is: $", 0), 0U);
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.out, prompt);
      expect_error_line(r.err);
    }
  }
}

// A locale with a decimal comma and digit grouping in the environment must
// change nothing: the output keeps a full stop and no grouping, and a comma
// is still refused. (A static build cannot load named locales at all; the
// shared builds, such as the sanitizer one, are where this would bite.)
TEST(HostileInput, ForeignLocaleInTheEnvironment) {
  try {
    std::locale("de_DE.UTF-8");
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "de_DE.UTF-8 is not installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  }
  child_options options;
  options.environment = {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"};
  const child_result ok = run("1000000\n", options);
  EXPECT_EQ(ok.out, prompt + "\nYour 2008 tax is: $328596.75\n");
  EXPECT_EQ(ok.exit_status, 0);
  const child_result comma = run("50000,00\n", options);
  EXPECT_EQ(comma.out, prompt);
  EXPECT_EQ(comma.exit_status, 1);
}

}  // namespace
