// SPDX-License-Identifier: MIT
#include <windows.h>

#include <stdexcept>
#include <string>

#include "test_process.hpp"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + " failed: error " +
                             std::to_string(GetLastError()));
  }
}

// A temporary file the child inherits, gone once the last handle closes.
class temp_file {
 public:
  temp_file() {
    char dir[MAX_PATH];
    char name[MAX_PATH];
    check(GetTempPathA(MAX_PATH, dir) != 0 && GetTempFileNameA(dir, "tax", 0, name) != 0,
          "GetTempFileName");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    handle_ = CreateFileA(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    check(handle_ != INVALID_HANDLE_VALUE, "CreateFile");
  }
  temp_file(const temp_file&) = delete;
  temp_file& operator=(const temp_file&) = delete;
  ~temp_file() { CloseHandle(handle_); }

  HANDLE handle() const { return handle_; }

  void write(const std::string& bytes) {
    DWORD written = 0;
    check(WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size(),
          "WriteFile");
  }

  void rewind() { check(SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == 0, "SetFilePointer"); }

  std::string read() {
    rewind();
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    while (ReadFile(handle_, chunk, sizeof chunk, &n, nullptr) && n > 0) {
      bytes.append(chunk, n);
    }
    return bytes;
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::vector<std::string> program_command() { return {TAX2008_EXE}; }

// Windows has none of the other setups; the tests that need them are skipped.
child_result run_program(const std::string& input, const child_options& options) {
  temp_file in;
  temp_file out;
  temp_file err;
  in.write(input);
  for (std::size_t i = 1; i < options.repeat; ++i) {
    in.write(input);
  }
  in.write(options.tail);
  in.rewind();

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.handle();
  startup.hStdOutput = out.handle();
  startup.hStdError = err.handle();
  std::string command_line = "\"" + program_command().front() + "\"";
  for (const std::string& argument : options.arguments) {
    command_line += " \"" + argument + "\"";  // the tests' own, without quotes in them
  }
  PROCESS_INFORMATION process{};
  check(CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process),
        "CreateProcess");
  CloseHandle(process.hThread);

  child_result result;
  if (WaitForSingleObject(process.hProcess, child_timeout_seconds * 1000) != WAIT_OBJECT_0) {
    result.timed_out = true;
    TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, INFINITE);
  } else {
    DWORD status = 0;
    check(GetExitCodeProcess(process.hProcess, &status), "GetExitCodeProcess");
    result.exit_status = static_cast<int>(status);
  }
  CloseHandle(process.hProcess);
  result.out = out.read();
  result.err = err.read();
  return result;
}

child_result run_in_terminal(const std::string& /*prompt*/, const std::string& /*typed*/) {
  throw std::logic_error("run_in_terminal needs POSIX");
}
