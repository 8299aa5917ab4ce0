// Runs the benchmarks, then prints each time as a ratio against its group's baseline measured in
// the same run (the case named "<group>/baseline..."), as a Markdown table. Fails when a case
// stopped with an error.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Row {
  std::string name;
  double nanoseconds;
  const char* unit;
  std::map<std::string, double> counters;
};

std::string groupOf(const std::string& name) {
  return name.substr(0, name.find('/'));
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) failed_ = true;
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      Row row{
          run.benchmark_name(), run.GetAdjustedCPUTime() * toNanoseconds(run.time_unit), "ns", {}};
      for (const auto& [key, counter] : run.counters) row.counters[key] = counter.value;
      rows_.push_back(std::move(row));
    }
  }

  // True when a case stopped with an error: the run is no measurement of the program.
  bool failed() const { return failed_; }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::map<std::string, double> baselines;
    for (const Row& row : rows_) {
      if (row.name.rfind(groupOf(row.name) + "/baseline", 0) == 0) {
        baselines[groupOf(row.name)] = row.nanoseconds;
      }
    }
    std::printf("\n| Case | Time | Against the baseline | Allocations per call | Requests |\n");
    std::printf("|---|---:|---:|---:|---:|\n");
    for (const Row& row : rows_) {
      const auto requests = row.counters.find("requests");
      if (requests != row.counters.end()) {
        std::printf("| %s | | | | %.0f |\n", row.name.c_str(), requests->second);
        continue;
      }
      std::string ratio;
      const auto baseline = baselines.find(groupOf(row.name));
      if (baseline != baselines.end() && baseline->second > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2fx", row.nanoseconds / baseline->second);
        ratio = text;
      }
      const auto allocs = row.counters.find("allocs");
      char allocText[32] = "";
      if (allocs != row.counters.end()) {
        std::snprintf(allocText, sizeof allocText, "%.1f", allocs->second);
      }
      std::printf("| %s | %s | %s | %s | |\n", row.name.c_str(), time(row.nanoseconds).c_str(),
                  ratio.c_str(), allocText);
    }
  }

 private:
  static double toNanoseconds(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kSecond:
        return 1e9;
      case benchmark::kMillisecond:
        return 1e6;
      case benchmark::kMicrosecond:
        return 1e3;
      case benchmark::kNanosecond:
        return 1;
    }
    return 1;
  }
  static std::string time(double ns) {
    char text[32];
    if (ns < 1000) {
      std::snprintf(text, sizeof text, "%.1f ns", ns);
    } else {
      std::snprintf(text, sizeof text, "%.2f us", ns / 1000);
    }
    return text;
  }

  std::vector<Row> rows_;
  bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.failed() ? 1 : 0;
}
