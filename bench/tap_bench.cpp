// The event tap's callback: what each kind of event costs, against an empty callback of the
// same signature, and whether a press costs more with more windows on screen.
#include <benchmark/benchmark.h>

#include "bench_mac.hpp"
#include "counting_new.hpp"
#include "interception/interceptor.hpp"

namespace plumora::bench {
namespace {

using Callback = TapVerdict (*)(EventTap&, EventType, const TapEvent&);

[[gnu::noinline]] TapVerdict emptyCallback(EventTap&, EventType, const TapEvent&) {
  return TapVerdict::Pass;
}

class TapBench {
 public:
  explicit TapBench(int windows) : desktop(windows) {
    if (interceptor.start()) tap = desktop.mac.eventTaps.live();
  }
  BenchMac desktop;
  Interceptor interceptor{desktop.context, [](const GreenClick&) {}};
  std::shared_ptr<sim::SimEventTap> tap;
};

void reportAllocations(benchmark::State& state, long before) {
  state.counters["allocs"] = benchmark::Counter(
      static_cast<double>(counting::allocations() - before), benchmark::Counter::kAvgIterations);
}

void baseline(benchmark::State& state) {
  TapBench bench(1);
  const sim::SimTapEvent event({600, 500}, 0);
  Callback callback = emptyCallback;
  benchmark::DoNotOptimize(callback);
  const long before = counting::allocations();
  for (auto _ : state) {
    benchmark::DoNotOptimize(callback(*bench.tap, EventType::LeftMouseDragged, event));
  }
  reportAllocations(state, before);
}
BENCHMARK(baseline)->Name("tap/baseline: empty callback");

void passThrough(benchmark::State& state, EventType type, std::uint64_t flags, bool onButton,
                 bool outsideZone) {
  TapBench bench(1);
  if (!bench.tap) return state.SkipWithError("the tap did not start");
  const Point at = onButton      ? bench.desktop.greenButton()
                   : outsideZone ? bench.desktop.titleBarOutsideZone()
                                 : Point{600, 500};
  const sim::SimTapEvent event(at, flags);
  const long before = counting::allocations();
  for (auto _ : state) {
    const TapVerdict verdict = bench.interceptor.handle(*bench.tap, type, event);
    if (verdict != TapVerdict::Pass) state.SkipWithError("an event was swallowed");
    benchmark::DoNotOptimize(verdict);
  }
  reportAllocations(state, before);
}
BENCHMARK_CAPTURE(passThrough, drag, EventType::LeftMouseDragged, 0, false, false)
    ->Name("tap/drag, nothing pending");
BENCHMARK_CAPTURE(passThrough, release, EventType::LeftMouseUp, 0, false, false)
    ->Name("tap/release, nothing pending");
BENCHMARK_CAPTURE(passThrough, modifier, EventType::LeftMouseDown, 0x80000, true, false)
    ->Name("tap/press with Option on the green button");
BENCHMARK_CAPTURE(passThrough, outside, EventType::LeftMouseDown, 0, false, true)
    ->Name("tap/press in the title bar outside the zone");
BENCHMARK_CAPTURE(passThrough, other, EventType::MouseMoved, 0, false, false)
    ->Name("tap/other event type");

void titleBarPress(benchmark::State& state) {
  TapBench bench(static_cast<int>(state.range(0)));
  if (!bench.tap) return state.SkipWithError("the tap did not start");
  const sim::SimTapEvent event(bench.desktop.titleBarOutsideZone(), 0);
  const long before = counting::allocations();
  for (auto _ : state) {
    const TapVerdict verdict =
        bench.interceptor.handle(*bench.tap, EventType::LeftMouseDown, event);
    if (verdict != TapVerdict::Pass) state.SkipWithError("the press was swallowed");
  }
  reportAllocations(state, before);
}
BENCHMARK(titleBarPress)
    ->Name("tap/title-bar press outside the zone, windows")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000);

void greenButtonPress(benchmark::State& state) {
  TapBench bench(static_cast<int>(state.range(0)));
  if (!bench.tap) return state.SkipWithError("the tap did not start");
  const sim::SimTapEvent event(bench.desktop.greenButton(), 0);
  const long before = counting::allocations();
  for (auto _ : state) {
    // Each press abandons the one before, as a press without its release does.
    const TapVerdict verdict =
        bench.interceptor.handle(*bench.tap, EventType::LeftMouseDown, event);
    if (verdict != TapVerdict::Swallow) state.SkipWithError("the green button was missed");
  }
  reportAllocations(state, before);
}
BENCHMARK(greenButtonPress)
    ->Name("tap/green-button press, windows")
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000);

// Exceptions in force: the presses that pass for other reasons cost what they cost without, and
// a press on an excepted application's green button passes after the detection's first two
// requests, without the two that a Fill's press makes next.
const std::vector<std::string> kExceptions{"com.example.Finder", "com.example.TextEdit",
                                           "org.example.Terminal"};

void withExceptions(benchmark::State& state, std::uint64_t flags, bool onButton,
                    TapVerdict expected) {
  TapBench bench(1);
  if (!bench.tap) return state.SkipWithError("the tap did not start");
  bench.interceptor.setExceptions(kExceptions);
  const sim::SimTapEvent event(
      onButton ? bench.desktop.greenButton() : bench.desktop.titleBarOutsideZone(), flags);
  const long before = counting::allocations();
  for (auto _ : state) {
    const TapVerdict verdict =
        bench.interceptor.handle(*bench.tap, EventType::LeftMouseDown, event);
    if (verdict != expected) state.SkipWithError("the press was not passed");
  }
  reportAllocations(state, before);
}
BENCHMARK_CAPTURE(withExceptions, outside, 0, false, TapVerdict::Pass)
    ->Name("tap/press in the title bar outside the zone, 3 exceptions");
BENCHMARK_CAPTURE(withExceptions, modifier, 0x80000, true, TapVerdict::Pass)
    ->Name("tap/press with Option on an exception's green button");
BENCHMARK_CAPTURE(withExceptions, exception, 0, true, TapVerdict::Pass)
    ->Name("tap/green-button press on an exception");

void exceptionRequests(benchmark::State& state) {
  TapBench bench(1);
  if (!bench.tap) return state.SkipWithError("the tap did not start");
  bench.interceptor.setExceptions(kExceptions);
  const sim::SimTapEvent press(bench.desktop.greenButton(), 0);
  std::uint64_t requests = 0;
  for (auto _ : state) {
    bench.desktop.mac.accessibility.resetRequestCounts();
    if (bench.interceptor.handle(*bench.tap, EventType::LeftMouseDown, press) != TapVerdict::Pass) {
      return state.SkipWithError("the exception's press was swallowed");
    }
    requests = bench.desktop.mac.accessibility.totalRequests();
  }
  state.counters["requests"] = static_cast<double>(requests);
}
BENCHMARK(exceptionRequests)->Name("requests/green-button press on an exception")->Iterations(1);

}  // namespace
}  // namespace plumora::bench
