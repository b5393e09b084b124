// SPDX-License-Identifier: MIT
#ifndef APP_TEST_PROCESS_HPP
#define APP_TEST_PROCESS_HPP

#include <cstddef>
#include <string>
#include <vector>

// Runs the real program as a child process, for the tests: through pipes and
// terminals on POSIX systems (test_process_posix.cpp), through files on
// Windows (test_process_win32.cpp), where only the input can be chosen.

#ifdef _WIN32
constexpr bool have_posix = false;
#else
constexpr bool have_posix = true;
#endif

// The command that runs the program, emulator first when there is one.
std::vector<std::string> program_command();

enum class stream_setup {
  pipe,       // a pipe to or from the test
  closed,     // the descriptor is closed in the child
  dev_full,   // /dev/full: every write fails
  directory,  // a directory, which cannot be read
  packets,    // a socket that keeps each write apart, to count them
};

struct child_options {
  stream_setup in = stream_setup::pipe;
  stream_setup out = stream_setup::pipe;
  stream_setup err = stream_setup::pipe;
  std::vector<std::string> environment;  // "NAME=value" added to the child's
  std::vector<std::string> arguments;    // after the program's name
  // The input is sent `repeat` times, then `tail`: a huge input need not be
  // held here, where the child's peak memory would count it from the fork.
  std::size_t repeat = 1;
  std::string tail;
  // Keeps the input open after the last byte, as a person at a terminal
  // does: the program must answer without waiting for the end of input.
  bool keep_input_open = false;
};

struct child_result {
  std::string out;
  std::string err;
  int err_writes = 0;        // with stream_setup::packets
  int exit_status = -1;      // -1 unless the child exited normally
  bool timed_out = false;    // killed after `child_timeout_seconds`
  long peak_memory_kib = 0;  // at least the test's own size at the fork
  std::string left_unread;   // in the terminal's input once the program ended
};

// No run of the program may take longer; a test never waits for ever.
constexpr int child_timeout_seconds = 60;

// Feeds `input` to the program's standard input and collects what it writes.
child_result run_program(const std::string& input, const child_options& options = {});

// A person at a terminal: waits for the prompt, types `typed`, and returns
// everything the terminal showed, and what the program left for the next
// reader of the terminal, such as the shell. POSIX only.
child_result run_in_terminal(const std::string& prompt, const std::string& typed);

#endif  // APP_TEST_PROCESS_HPP
