#include "test_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + " failed: errno " + std::to_string(errno));
  }
}

// Makes `fd` refer to what `opened` does. When `fd` was closed on purpose,
// open() may have returned `fd` itself.
void replace_descriptor(int fd, int opened) {
  dup2(opened, fd);
  if (opened != fd) {
    close(opened);
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
      replace_descriptor(fd, open("/dev/full", O_WRONLY));
      break;
    case stream_setup::directory:
      replace_descriptor(fd, open("/", O_RDONLY | O_DIRECTORY));
      break;
  }
}

}  // namespace

child_result run_program(const std::string& program, const std::string& input,
                         const child_options& options) {
  int in[2];
  int out[2];
  int err[2];
  check(pipe(in) == 0 && pipe(out) == 0 && pipe(err) == 0, "pipe");
  // A child that stops reading must not kill the test with SIGPIPE.
  (void)std::signal(SIGPIPE, SIG_IGN);

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
    (void)std::signal(SIGPIPE, SIG_DFL);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);

  child_result result;
  // What is still to send: `repeat` copies of the input, then the tail.
  std::size_t copies_left = input.empty() ? 0 : options.repeat;
  const std::string* sending = copies_left > 0 ? &input : &options.tail;
  std::size_t offset = 0;
  const auto next_piece = [&] {
    offset = 0;
    if (copies_left > 1) {
      --copies_left;
      return true;
    }
    copies_left = 0;
    if (sending != &options.tail && !options.tail.empty()) {
      sending = &options.tail;
      return true;
    }
    return false;
  };
  int to_child = in[1];
  if (sending->empty()) {
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
      const ssize_t n = write(fds[2].fd, sending->data() + offset,
                              std::min<std::size_t>(sending->size() - offset, 65536));
      if (n > 0) {
        offset += static_cast<std::size_t>(n);
      }
      if (n <= 0 || (offset == sending->size() && !next_piece())) {
        close(fds[2].fd);  // all sent, or the child closed its end
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
