// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "test_process.hpp"

namespace {

using clock = std::chrono::steady_clock;

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

// In the child: make descriptor `fd` what `setup` says; `end` is the child's
// end of the pipe or socket.
void set_up_descriptor(int fd, stream_setup setup, int end) {
  switch (setup) {
    case stream_setup::pipe:
    case stream_setup::packets:
      dup2(end, fd);
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

[[noreturn]] void exec_program(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = program_command();
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv(command.size() + 1, nullptr);
  std::transform(command.begin(), command.end(), argv.begin(),
                 [](const std::string& word) { return const_cast<char*>(word.c_str()); });
  (void)std::signal(SIGPIPE, SIG_DFL);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Milliseconds left until `deadline`, at least 0.
int left_ms(clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

// Reaps the child; kills it first if it is still running at `deadline`.
void reap(pid_t pid, clock::time_point deadline, child_result& result) {
  int status = 0;
  rusage usage{};
  pid_t done = 0;
  while ((done = wait4(pid, &status, WNOHANG, &usage)) == 0 && left_ms(deadline) > 0) {
    poll(nullptr, 0, 10);
  }
  if (done == 0) {
    result.timed_out = true;
    kill(pid, SIGKILL);
    done = wait4(pid, &status, 0, &usage);
  }
  check(done == pid, "wait4");
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  result.peak_memory_kib = usage.ru_maxrss;
}

}  // namespace

std::vector<std::string> program_command() {
  std::vector<std::string> command;
  if (*TAX2008_EMULATOR != '\0') {
    command.emplace_back(TAX2008_EMULATOR);
  }
  command.emplace_back(TAX2008_EXE);
  return command;
}

child_result run_program(const std::string& input, const child_options& options) {
  const clock::time_point deadline = clock::now() + std::chrono::seconds(child_timeout_seconds);
  int in[2];
  int out[2];
  int err[2];
  check(pipe(in) == 0 && pipe(out) == 0, "pipe");
  check(options.err == stream_setup::packets ? socketpair(AF_UNIX, SOCK_SEQPACKET, 0, err) == 0
                                             : pipe(err) == 0,
        "pipe");
  // A child that stops reading must not kill the test with SIGPIPE.
  (void)std::signal(SIGPIPE, SIG_IGN);

  const pid_t pid = fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    set_up_descriptor(STDIN_FILENO, options.in, in[0]);
    set_up_descriptor(STDOUT_FILENO, options.out, out[1]);
    set_up_descriptor(STDERR_FILENO, options.err, err[1]);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      close(fd);
    }
    for (const std::string& setting : options.environment) {
      putenv(const_cast<char*>(setting.c_str()));
    }
    exec_program(options.arguments);
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
  // Never blocked in a write: a child that stops reading without exiting
  // must still meet the deadline.
  int to_child = in[1];
  check(fcntl(to_child, F_SETFL, O_NONBLOCK) == 0, "fcntl");
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {to_child, POLLOUT, 0}};
  const auto done_sending = [&] {
    fds[2].fd = -1;
    if (!options.keep_input_open) {
      close(to_child);
      to_child = -1;
    }
  };
  if (sending->empty()) {
    done_sending();
  }
  std::string* sinks[2] = {&result.out, &result.err};
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const int ready = poll(fds, 3, left_ms(deadline));
    if (ready < 0) {
      check(errno == EINTR, "poll");
      continue;  // the revents are stale
    }
    if (ready == 0) {
      break;  // out of time: reap() kills the child
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && fds[i].revents != 0) {
        char chunk[65536];
        const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
        if (n > 0) {
          sinks[i]->append(chunk, static_cast<std::size_t>(n));
          result.err_writes += i;
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
      } else if (errno == EAGAIN || errno == EINTR) {
        continue;  // the pipe filled up since poll
      }
      if (n <= 0 || (offset == sending->size() && !next_piece())) {
        done_sending();  // all sent, or the child closed its end
      }
    }
  }
  reap(pid, deadline, result);
  for (int fd : {fds[0].fd, fds[1].fd, to_child}) {
    if (fd >= 0) {
      close(fd);
    }
  }
  return result;
}

child_result run_in_terminal(const std::string& prompt, const std::string& typed) {
  const clock::time_point deadline = clock::now() + std::chrono::seconds(child_timeout_seconds);
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  check(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0, "posix_openpt");
  char terminal[64] = {};
  check(ptsname_r(master, terminal, sizeof terminal) == 0, "ptsname_r");
  check(fcntl(master, F_SETFL, O_NONBLOCK) == 0, "fcntl");  // a write never blocks
  // Held open here, so that what the program leaves unread stays readable
  // after it ends, as it does for the shell.
  const int next_reader = open(terminal, O_RDWR | O_NOCTTY | O_NONBLOCK);
  check(next_reader >= 0, "open");

  const pid_t pid = fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    setsid();
    const int slave = open(terminal, O_RDWR);
    for (int fd = 0; fd < 3; ++fd) {
      dup2(slave, fd);
    }
    close(master);
    close(slave);
    close(next_reader);
    exec_program({});
  }

  // Whether the program has ended, leaving it to reap() to collect.
  const auto ended = [pid] {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
  };
  // Reads what the terminal shows until it ends with `end`, or, with an
  // empty `end`, until the program has ended and shown all; or until time
  // is up.
  child_result result;
  const auto read_until = [&](const std::string& end) {
    std::string& screen = result.out;
    while (end.empty() || screen.size() < end.size() ||
           screen.compare(screen.size() - end.size(), end.size(), end) != 0) {
      pollfd fd{master, POLLIN, 0};
      const int ready = poll(&fd, 1, 10);
      char chunk[256];
      const ssize_t n = ready > 0 ? read(master, chunk, sizeof chunk) : 0;
      if (n > 0) {
        screen.append(chunk, static_cast<std::size_t>(n));
      } else if ((ready > 0 && errno != EAGAIN) || (ready == 0 && ended()) ||
                 left_ms(deadline) == 0) {
        return;
      }
    }
  };
  read_until(prompt);
  if (result.out == prompt) {
    check(write(master, typed.data(), typed.size()) == static_cast<ssize_t>(typed.size()), "write");
    read_until("");
  }
  reap(pid, deadline, result);
  char chunk[4096];
  ssize_t n = 0;
  while ((n = read(next_reader, chunk, sizeof chunk)) > 0) {
    result.left_unread.append(chunk, static_cast<std::size_t>(n));
  }
  close(next_reader);
  close(master);
  return result;
}
