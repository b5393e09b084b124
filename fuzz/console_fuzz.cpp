// Arbitrary bytes as standard input to the very code main runs. Beyond
// crashes, it checks the outcome against the standard extraction of a double
// run over the same bytes on its own.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include <tax/tax_schedule.hpp>

#include "console.hpp"

namespace {

const std::string prompt = "Please enter your 2008 taxable income: ";

void require(bool ok) {
  if (!ok) {
    std::abort();
  }
}

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string printed(double tax) {
  std::ostringstream out;
  out.setf(std::ios_base::fixed);
  out.setf(std::ios_base::showpoint);
  out.precision(2);
  out << tax;
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = console::run(in, out, err);

  // The reference: `>> income` over the whole input, then what follows it.
  std::istringstream reference(input);
  double income = 0.0;
  reference >> income;
  const bool extracted = !reference.fail();
  const int next = reference.peek();
  std::size_t start = 0;
  while (start < size && is_space(static_cast<unsigned char>(input[start]))) {
    ++start;
  }
  const std::size_t end = next == EOF ? size : static_cast<std::size_t>(reference.tellg());
  const bool accepted =
      extracted && (next == EOF || is_space(next)) && end - start <= console::max_number_length;

  if (accepted) {
    const double tax = tax::compute_tax(income);
    require(status == 0 && err.str().empty());
    require(!std::isnan(tax) && tax >= 0.0);
    require(out.str() == prompt + "\nYour 2008 tax is: $" + printed(tax) + "\n");
  } else {
    const std::string line = err.str();
    require(status == 1 && out.str() == prompt);
    require(line.rfind("tax2008: ", 0) == 0 && line.find('\n') == line.size() - 1);
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
      require(line[i] >= ' ' && line[i] <= '~');  // never an echo of the input
    }
  }
  return 0;
}
