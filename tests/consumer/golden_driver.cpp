// SPDX-License-Identifier: MIT
// Recomputes the golden file on targets where GoogleTest is not available:
// reads its rows (status, income, result, amount) on standard input and
// writes each one again with this build's own result bits and printed
// amount. Any NaN is written as the one NaN of the file, since NaN compares
// as NaN whatever its payload.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include <tax/tax_schedule.hpp>

namespace {

std::string hex_bits(std::uint64_t bits) {
  std::ostringstream hex;
  hex << std::hex << std::setw(16) << std::setfill('0') << bits;
  return hex.str();
}

}  // namespace

int main() {
  std::ios_base::sync_with_stdio(false);
  std::string line;
  std::ostringstream amount;
  amount.setf(std::ios_base::fixed);
  amount.setf(std::ios_base::showpoint);
  amount.precision(2);
  while (std::getline(std::cin, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    const std::size_t space = line.find(' ');
    const std::string status = line.substr(0, space);
    const std::uint64_t income_bits = std::stoull(line.substr(space + 1, 16), nullptr, 16);
    double income = 0.0;
    std::memcpy(&income, &income_bits, sizeof income);
    const double tax = tax::compute_tax(income, tax::filing_status_named(status).value());
    std::uint64_t tax_bits = 0x7ff8000000000000;
    if (!std::isnan(tax)) {
      std::memcpy(&tax_bits, &tax, sizeof tax_bits);
    }
    amount.str("");
    amount << tax;
    std::cout << status << ' ' << hex_bits(income_bits) << ' ' << hex_bits(tax_bits) << ' '
              << (std::isnan(tax) ? "nan" : amount.str()) << '\n';
  }
  return std::cout.flush() ? 0 : 1;
}
