// SPDX-License-Identifier: MIT
// Arbitrary doubles through compute_tax: never negative, NaN only from NaN,
// never more than the tax on the next double up, exact at the thresholds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <tax/tax_schedule.hpp>

namespace {

void require(bool ok) {
  if (!ok) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size != sizeof(double)) {
    return -1;  // not a double: keep it out of the corpus
  }
  double income;
  std::memcpy(&income, data, sizeof income);
  const double tax = tax::compute_tax(income);
  if (std::isnan(income)) {
    require(std::isnan(tax));
    return 0;
  }
  require(!std::isnan(tax) && tax >= 0.0 && !std::signbit(tax));
  const double up = std::nextafter(income, std::numeric_limits<double>::infinity());
  require(tax <= tax::compute_tax(up));
  for (std::size_t i = 0; i + 1 < tax::rate_schedule.size(); ++i) {
    if (income == tax::rate_schedule[i].upper_bound) {
      require(tax == tax::rate_schedule[i + 1].base_tax);
    }
  }
  return 0;
}
