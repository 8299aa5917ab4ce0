// A debug line with verbose logging off, against an empty function: the text is never built.
#include <benchmark/benchmark.h>

#include "bench_mac.hpp"
#include "counting_new.hpp"

namespace plumora::bench {
namespace {

[[gnu::noinline]] void emptyFunction(std::string_view) {}

void reportAllocations(benchmark::State& state, long before) {
  state.counters["allocs"] = benchmark::Counter(
      static_cast<double>(counting::allocations() - before), benchmark::Counter::kAvgIterations);
}

void baseline(benchmark::State& state) {
  auto function = emptyFunction;
  benchmark::DoNotOptimize(function);
  const long before = counting::allocations();
  for (auto _ : state) function("Finestra a schermo intero");
  reportAllocations(state, before);
}
BENCHMARK(baseline)->Name("log/baseline: empty function");

void literal(benchmark::State& state) {
  BenchMac desktop;
  Log& log = desktop.context.log;
  log.verbose();
  const long before = counting::allocations();
  for (auto _ : state)
    log.debug("Finestra a schermo intero: il tasto verde fa la sua azione normale");
  reportAllocations(state, before);
}
BENCHMARK(literal)->Name("log/debug, literal, verbose off");

void callable(benchmark::State& state) {
  BenchMac desktop;
  Log& log = desktop.context.log;
  log.verbose();
  int pid = 501;
  benchmark::DoNotOptimize(pid);
  const long before = counting::allocations();
  for (auto _ : state) {
    log.debug([&] { return "Tasto verde fermato (pid " + std::to_string(pid) + ")"; });
  }
  reportAllocations(state, before);
}
BENCHMARK(callable)->Name("log/debug, callable, verbose off");

}  // namespace
}  // namespace plumora::bench
