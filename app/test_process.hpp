#ifndef APP_TEST_PROCESS_HPP
#define APP_TEST_PROCESS_HPP

#include <string>
#include <vector>

// Runs the real program as a child process, for the tests.

enum class stream_setup {
  pipe,       // a pipe to or from the test
  closed,     // the descriptor is closed in the child
  dev_full,   // /dev/full: every write fails
  directory,  // a directory, which cannot be read
};

struct child_options {
  stream_setup in = stream_setup::pipe;
  stream_setup out = stream_setup::pipe;
  std::vector<std::string> environment;  // "NAME=value" added to the child's
  // The input is sent `repeat` times, then `tail`: a huge input need not be
  // held here, where the child's peak memory would count it from the fork.
  std::size_t repeat = 1;
  std::string tail;
};

struct child_result {
  std::string out;
  std::string err;
  int exit_status = -1;      // -1 unless the child exited normally
  long peak_memory_kib = 0;  // at least the test's own size at the fork
};

// Feeds `input` to the program's standard input and collects what it writes.
child_result run_program(const std::string& program, const std::string& input,
                         const child_options& options = {});

#endif  // APP_TEST_PROCESS_HPP
