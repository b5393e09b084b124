// SPDX-License-Identifier: MIT
// Checks this build of the tax library against the golden file given, as a
// consumer builds it (with its own flags, such as -march=native): every
// row's result bits for its status. Prints the count and exits 1 if any row
// differs. Any NaN matches a NaN, whatever its payload.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <tax/tax_schedule.hpp>

int main(int argc, char** argv) {
  std::ifstream golden(argc > 1 ? argv[1] : "");
  std::string line;
  int rows = 0;
  int differ = 0;
  while (std::getline(golden, line)) {
    std::istringstream row(line);
    std::string status;
    std::string income_hex;
    std::string result_hex;
    if (line[0] == '#' || !(row >> status >> income_hex >> result_hex)) {
      continue;
    }
    const std::uint64_t income_bits = std::stoull(income_hex, nullptr, 16);
    const std::uint64_t want = std::stoull(result_hex, nullptr, 16);
    double income = 0.0;
    std::memcpy(&income, &income_bits, sizeof income);
    const double tax = tax::compute_tax(income, tax::filing_status_named(status).value());
    std::uint64_t got = 0;
    std::memcpy(&got, &tax, sizeof got);
    ++rows;
    double wanted = 0.0;
    std::memcpy(&wanted, &want, sizeof wanted);
    differ += got != want && !(std::isnan(tax) && std::isnan(wanted)) ? 1 : 0;
  }
  std::cout << rows << " golden rows, " << differ << " differ\n";
  return rows > 50000 && differ == 0 ? 0 : 1;
}
