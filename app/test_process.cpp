#include "test_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + " failed: errno " + std::to_string(errno));
  }
}

// In the child: make descriptor `fd` what `setup` says; `pipe_end` is the
// child's end of the pipe for stream_setup::pipe.
void set_up_descriptor(int fd, stream_setup setup, int pipe_end) {
  switch (setup) {
    case stream_setup::pipe:
      dup2(pipe_end, fd);
      break;
    case stream_setup::closed:
      close(fd);
      break;
    case stream_setup::dev_full:
      dup2(open("/dev/full", O_WRONLY), fd);
      break;
    case stream_setup::directory:
      dup2(open("/", O_RDONLY | O_DIRECTORY), fd);
      break;
  }
}

}  // namespace

child_result run_program(const std::string& program, const std::string& input,
                         const child_options& options) {
  int in[2], out[2], err[2];
  check(pipe(in) == 0 && pipe(out) == 0 && pipe(err) == 0, "pipe");
  // A child that stops reading must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);

  const pid_t pid = fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    set_up_descriptor(STDIN_FILENO, options.in, in[0]);
    set_up_descriptor(STDOUT_FILENO, options.out, out[1]);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      close(fd);
    }
    for (const std::string& setting : options.environment) {
      putenv(const_cast<char*>(setting.c_str()));
    }
    signal(SIGPIPE, SIG_DFL);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);

  child_result result;
  std::size_t written = 0;
  int to_child = in[1];
  if (input.empty()) {
    close(to_child);
    to_child = -1;
  }
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {to_child, POLLOUT, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    check(poll(fds, 3, -1) >= 0 || errno == EINTR, "poll");
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && fds[i].revents != 0) {
        char chunk[65536];
        const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
        if (n > 0) {
          sinks[i]->append(chunk, static_cast<std::size_t>(n));
        } else {
          close(fds[i].fd);
          fds[i].fd = -1;
        }
      }
    }
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      const ssize_t n = write(fds[2].fd, input.data() + written,
                              std::min<std::size_t>(input.size() - written, 65536));
      if (n > 0) {
        written += static_cast<std::size_t>(n);
      }
      if (n <= 0 || written == input.size()) {  // done, or the child closed its end
        close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  if (fds[2].fd >= 0) {
    close(fds[2].fd);
  }

  int status = 0;
  rusage usage{};
  check(wait4(pid, &status, 0, &usage) == pid, "wait4");
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  result.peak_memory_kib = usage.ru_maxrss;
  return result;
}
