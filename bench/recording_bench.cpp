// What recording costs the event tap's callback: the press on a green button (recognised and
// swallowed) and the events that pass through, with the program on the platform's own ports, on
// the recording's wrappers with the recorder stopped, and with it writing. Every event goes
// through the tap, as the tap's thread hands it over, so that the wrapped callback is measured
// too. The lines are written to the file outside the timed part, as the writer's own thread does.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>

#include "bench_mac.hpp"
#include "counting_new.hpp"
#include "interception/interceptor.hpp"
#include "recording/recording_file.hpp"
#include "recording/recording_platform.hpp"

namespace plumora::bench {
namespace {

enum class Mode { Unwrapped, Off, On };

class RecordedTap {
 public:
  explicit RecordedTap(Mode mode)
      : context_(mode == Mode::Unwrapped ? desktop.mac.platform : wrapped_.platform()) {
    if (mode == Mode::On) {
      const auto folder = std::filesystem::temp_directory_path() / "plumora-bench";
      if (file_.open(folder / "recording.jsonl")) recorder_.begin(wrapped_.header("bench"));
    }
    if (interceptor_.start()) tap = desktop.mac.eventTaps.live();
  }
  ~RecordedTap() {
    recorder_.finish();
    file_.close();
    desktop.mac.dispatch.runDue();
  }

  bool recording() const { return recorder_.active(); }
  // The lines handed so far go to the disk, as the writer's thread would take them.
  void write() { desktop.mac.dispatch.runDue(); }

  BenchMac desktop;
  std::shared_ptr<sim::SimEventTap> tap;

 private:
  // No cap: the benchmark runs as long as it needs.
  RecordingFile file_{desktop.mac.dispatch, ~std::uintmax_t{0}, {}};
  Recorder recorder_{desktop.mac.clock, file_};
  RecordingPlatform wrapped_{desktop.mac.platform, recorder_};
  Context context_;
  Interceptor interceptor_{context_, [](const GreenClick&) {}};
};

void deliver(benchmark::State& state, Mode mode, EventType type, bool onButton,
             TapVerdict expected) {
  RecordedTap bench(mode);
  if (!bench.tap) return state.SkipWithError("the tap did not start");
  if (mode == Mode::On && !bench.recording()) return state.SkipWithError("no recording");
  const Point at = onButton ? bench.desktop.greenButton() : bench.desktop.titleBarOutsideZone();
  const sim::SimTapEvent event(at, 0);
  const long before = counting::allocations();
  long events = 0;
  for (auto _ : state) {
    if (bench.tap->deliver(type, event) != expected) state.SkipWithError("a wrong verdict");
    // Now and then, outside the measurement, the writer catches up.
    if (++events % 32 == 0) {
      state.PauseTiming();
      bench.write();
      state.ResumeTiming();
    }
  }
  state.counters["allocs"] = benchmark::Counter(
      static_cast<double>(counting::allocations() - before), benchmark::Counter::kAvgIterations);
}

void press(benchmark::State& state, Mode mode) {
  deliver(state, mode, EventType::LeftMouseDown, true, TapVerdict::Swallow);
}
void titleBar(benchmark::State& state, Mode mode) {
  deliver(state, mode, EventType::LeftMouseDown, false, TapVerdict::Pass);
}
void drag(benchmark::State& state, Mode mode) {
  deliver(state, mode, EventType::LeftMouseDragged, false, TapVerdict::Pass);
}

BENCHMARK_CAPTURE(press, unwrapped, Mode::Unwrapped)
    ->Name("press/baseline: green-button press, no wrappers");
BENCHMARK_CAPTURE(press, off, Mode::Off)->Name("press/green-button press, recording off");
BENCHMARK_CAPTURE(press, on, Mode::On)->Name("press/green-button press, recording on");
BENCHMARK_CAPTURE(titleBar, unwrapped, Mode::Unwrapped)
    ->Name("pass/baseline: title-bar press outside the zone, no wrappers");
BENCHMARK_CAPTURE(titleBar, off, Mode::Off)
    ->Name("pass/title-bar press outside the zone, recording off");
BENCHMARK_CAPTURE(titleBar, on, Mode::On)
    ->Name("pass/title-bar press outside the zone, recording on");
BENCHMARK_CAPTURE(drag, unwrapped, Mode::Unwrapped)->Name("drag/baseline: drag, no wrappers");
BENCHMARK_CAPTURE(drag, off, Mode::Off)->Name("drag/drag, recording off");
BENCHMARK_CAPTURE(drag, on, Mode::On)->Name("drag/drag, recording on");

}  // namespace
}  // namespace plumora::bench
