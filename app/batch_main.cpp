// SPDX-License-Identifier: MIT
// tax2008-batch [FILE...]: CSV of returns in, the same rows with their 2008
// tax out, on standard output.
#include <batch/batch.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#ifndef TAX2008_VERSION
#define TAX2008_VERSION "unknown"
#endif

namespace {

const char usage[] =
    "Usage: tax2008-batch [FILE]...\n"
    "Reads CSV returns from each FILE in turn, or from standard input where there is none\n"
    "or for -, and writes them to standard output with their 2008 federal income tax.\n"
    "\n"
    "Columns, found by the header's names: taxable_income (required), status (single,\n"
    "married-jointly, married-separately or head-of-household; empty is single),\n"
    "qualified_dividends and capital_gain (empty is 0). Other columns pass through.\n"
    "Added: tax (the figure to file), schedule_tax (the rate schedule's), method, error.\n"
    "\n"
    "  --help     display this help and exit\n"
    "  --version  output version information and exit\n"
    "\n"
    "Exit status: 0 when every row was answered, 1 when a row was refused or a file\n"
    "could not be read or converted.\n";

int fail(const std::string& what) {
  const std::string line = "tax2008-batch: " + what + "\n";
  (void)std::fwrite(line.data(), 1, line.size(), stderr);  // nothing to tell of a failure
  return 1;
}

std::string reason(int error) { return error != 0 ? std::strerror(error) : "failed"; }

int fail(const std::string& file, const std::string& why) { return fail(file + ": " + why); }

int write_failed() { return fail("cannot write to standard output: " + reason(errno)); }

// Writes and empties `out`; false where standard output failed.
bool flush(std::string& out) {
  const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
  out.clear();
  return written;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // The same bytes as everywhere else: CSV says where its line breaks are.
  for (std::FILE* stream : {stdin, stdout, stderr}) {
    _setmode(_fileno(stream), _O_BINARY);
  }
#endif
  std::vector<std::string> files;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "--version")) {
      std::string text = arg == "--help" ? usage : "tax2008-batch " TAX2008_VERSION "\n";
      return flush(text) && std::fflush(stdout) == 0 ? 0 : write_failed();
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return fail("unknown option " + arg + "; see tax2008-batch --help");
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    files.emplace_back("-");
  }

  batch::converter converter;
  std::string first_refused_in;  // the file of the first refused row
  std::string out;
  std::vector<char> block(std::size_t{1} << 16);
  for (const std::string& name : files) {
    const bool standard_input = name == "-";
    const std::string shown = standard_input ? "standard input" : name;
    std::FILE* in = standard_input ? stdin : std::fopen(name.c_str(), "rb");
    if (in == nullptr) {
      flush(out);
      return fail(shown, reason(errno));
    }
    converter.start_file();
    std::string error;
    while (error.empty()) {
      const std::size_t got = std::fread(block.data(), 1, block.size(), in);
      if (got == 0) {
        break;
      }
      error = converter.feed(std::string_view(block.data(), got), out);
      if (out.size() >= block.size() && !flush(out)) {
        return write_failed();
      }
    }
    const int read_error = std::ferror(in) != 0 ? errno : 0;
    if (error.empty() && read_error == 0) {
      error = converter.finish(out);
    }
    if (!standard_input) {
      (void)std::fclose(in);  // read only: its data are in
    }
    if (!flush(out) || std::fflush(stdout) != 0) {
      return write_failed();
    }
    if (read_error != 0) {
      return fail(shown, reason(read_error));
    }
    if (!error.empty()) {
      return fail(shown, error);
    }
    if (first_refused_in.empty() && converter.totals().refused > 0) {
      first_refused_in = shown;
    }
  }
  const batch::totals& totals = converter.totals();
  if (totals.refused > 0) {
    return fail(std::to_string(totals.refused) + " of " + std::to_string(totals.rows) +
                " rows refused; the first, " + first_refused_in + " line " +
                std::to_string(totals.first_refused[0].line) + ": " +
                totals.first_refused[0].reason);
  }
  return 0;
}
