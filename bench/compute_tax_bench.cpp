// SPDX-License-Identifier: MIT
// Nanoseconds per compute_tax call, on random cent-valued incomes spread over
// every bracket (a fixed income would let the branch predictor learn it).
#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>
#include <tax/tax_schedule.hpp>

namespace {

void compute_tax_random_incomes(benchmark::State& state) {
  std::mt19937_64 random(2008);
  std::uniform_int_distribution<long> cents(0, 50000000);
  std::vector<double> incomes(4096);
  std::generate(incomes.begin(), incomes.end(),
                [&] { return static_cast<double>(cents(random)) / 100.0; });
  std::size_t i = 0;
  // The loop variable is the library's idiom; it is meant to go unread.
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(tax::compute_tax(incomes[i]));
    i = (i + 1) % incomes.size();
  }
}
BENCHMARK(compute_tax_random_incomes);

}  // namespace

BENCHMARK_MAIN();
