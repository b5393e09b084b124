// Input and surroundings that a careless or hostile caller may give the real
// program: it must end with an amount or a one-line error, in bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <locale>
#include <random>
#include <stdexcept>
#include <string>

#include "test_process.hpp"

namespace {

const std::string prompt = "Please enter your 2008 taxable income: ";
const std::string result_50000 = prompt + "\nYour 2008 tax is: $8843.75\n";

// Generous for a static binary: the program itself needs about 1.5 MiB.
constexpr long memory_limit_kib = 8L * 1024;

child_result run(const std::string& input, const child_options& options = {}) {
  return run_program(TAX2008_EXE, input, options);
}

bool is_error_line(const std::string& err) {
  if (err.rfind("tax2008: ", 0) != 0 || err.find('\n') != err.size() - 1) {
    return false;
  }
  for (std::size_t i = 0; i + 1 < err.size(); ++i) {
    if (err[i] < ' ' || err[i] > '~') {
      return false;
    }
  }
  return true;
}

TEST(HostileInput, UnreadableStandardInputIsAnError) {
  for (stream_setup in : {stream_setup::closed, stream_setup::directory}) {
    child_options options;
    options.in = in;
    const child_result r = run("", options);
    EXPECT_EQ(r.out, prompt);
    EXPECT_TRUE(is_error_line(r.err)) << r.err;
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
  EXPECT_LT(r.peak_memory_kib, memory_limit_kib);
}

// The program must stop reading an endless number and say so; a reader that
// kept every digit would grow past the limit on these 16 MiB.
TEST(HostileInput, EndlessDigitsAreRefusedInSmallMemory) {
  child_options options;
  options.repeat = 256;  // 16 MiB
  const child_result r = run(std::string(64 << 10, '7'), options);
  EXPECT_EQ(r.out, prompt);
  EXPECT_TRUE(is_error_line(r.err)) << r.err;
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_LT(r.peak_memory_kib, memory_limit_kib);
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
      EXPECT_TRUE(is_error_line(r.err)) << r.err;
    }
  }
}

TEST(HostileInput, NulBytes) {
  for (const std::string& input : {std::string("\0", 1),
                                   std::string("\0"
                                               "50000\n",
                                               7),
                                   std::string("50000\0\n", 7)}) {
    const child_result r = run(input);
    EXPECT_EQ(r.out, prompt);
    EXPECT_TRUE(is_error_line(r.err)) << r.err;
    EXPECT_EQ(r.exit_status, 1);
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
