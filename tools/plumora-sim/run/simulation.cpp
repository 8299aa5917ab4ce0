#include "run/simulation.hpp"

#include <algorithm>
#include <exception>
#include <optional>

#include "recording/recording_platform.hpp"
#include "run/core_app.hpp"
#include "run/expectations.hpp"
#include "run/frame_history.hpp"
#include "run/page_recorder.hpp"
#include "run/recording_in_progress.hpp"
#include "run/scenario_runner.hpp"
#include "run/temp_home.hpp"
#include "run/text_format.hpp"
#include "run/timeline.hpp"
#include "scenario/desktop_builder.hpp"

namespace plumora::simtool {

namespace {

// The lines of a recording kept in memory: the simulated Mac runs on one thread.
class TextSink final : public RecordingSink {
 public:
  explicit TextSink(std::string& text) : text_(text) {}
  void write(std::string_view line) override {
    text_ += line;
    text_ += '\n';
  }

 private:
  std::string& text_;
};

}  // namespace

ExitStatus simulate(const Scenario& scenario, std::string_view file, bool quiet, std::ostream& out,
                    std::ostream& errors, PageContent* page, std::string* recording) {
  const TempHome home;
  if (home.path().empty()) {
    errors << "plumora-sim: cannot make a temporary folder for the program's log file\n";
    return kInternalError;
  }
  sim::SimMac mac;
  const World world = buildDesktop(scenario, mac, home.path().string());
  Timeline timeline(out, quiet, mac, world);
  timeline.header(file, scenario);
  std::optional<PageRecorder> recorder;
  if (page) {
    recorder.emplace(mac, world, file, scenario);
    timeline.listen([&](const Happening& happening) { recorder->happened(happening); });
  }

  FrameHistory frames;
  for (const auto& [name, window] : world.windows()) {
    frames.record(mac.clock.mediaTime(), window->number, window->frame);
  }
  mac.unifiedLog.observe([&](const sim::LogCapture::Record& r) { timeline.log(r); });
  mac.desktop.onInput = [&](const sim::InputRecord& r) { timeline.input(r); };
  mac.desktop.onFrameChange = [&](const sim::SimWindow& w, Rect before) {
    frames.record(mac.clock.mediaTime(), w.number, w.frame);
    timeline.frameChanged(w, before);
  };

  std::optional<TextSink> sink;
  std::optional<Recorder> conversation;
  std::optional<RecordingPlatform> recorded;
  if (recording) {
    sink.emplace(*recording);
    conversation.emplace(mac.clock, *sink);
    recorded.emplace(mac.platform, *conversation);
    RecordingHeader header = recorded->header(PLUMORA_VERSION);
    header.tilingMargin = mac.desktop.tilingMargin;
    header.tiledWindowMargins = mac.desktop.tilingMargin > 0;
    conversation->begin(header);
  }
  // The recording's end is written however the run ends.
  struct Finish {
    std::optional<Recorder>& recorder;
    ~Finish() {
      if (recorder) recorder->finish();
    }
  } finish{conversation};

  try {
    CoreApp core(recorded ? recorded->platform() : mac.platform);
    // Recorded, the run is a session recorded from its launch: its menu can stop the recording.
    RecordingInProgress session([&] { conversation->finish(); });
    if (recorded) {
      core.tellShell([&] { recorded->menuOpened(); },
                     [&](MenuAction action) { recorded->menuChosen(action); });
      core.setSession(session);
    }
    mac.statusBar.menuDelegate = [&core] { core.menuNeedsUpdate(); };
    runScenario(scenario, mac, world, core, timeline);
  } catch (const std::exception& e) {
    // The simulated Mac throws where the real one would misbehave (a main-thread call made
    // elsewhere, for one): that is a fault of the program, worth stopping for.
    out.flush();
    const std::string why =
        "the run stopped at " + secondsText(mac.clock.mediaTime()) + " s: " + e.what();
    errors << "plumora-sim: " << file << ": " << why << '\n';
    if (recorder) {
      recorder->stopped(why);
      *page = recorder->take();
    }
    return kInternalError;
  }

  const auto results = checkExpectations(scenario, mac, world, frames);
  timeline.results(file, results, errors);
  if (recorder) {
    recorder->finish(results);
    *page = recorder->take();
  }
  const bool allMet =
      std::all_of(results.begin(), results.end(), [](const ExpectationResult& r) { return r.met; });
  return allMet ? kAllMet : kExpectationFailed;
}

}  // namespace plumora::simtool
