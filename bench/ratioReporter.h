// A console reporter that remembers each benchmark's time so a run can end
// with ratios against its controls, measured in the same process.
//
// A benchmark's time is its CPU time per iteration: on a machine shared with
// other work that is what the code costs, while wall time also counts the
// moments the thread waited for a core. Benchmarks that measure wall time on
// purpose (UseRealTime, their names end in "/real_time") keep it. A pair
// whose names start with "cpu:" compares CPU times whatever the benchmarks
// measure (with MeasureProcessCPUTime, the CPU time of all threads).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions only the median counts; a single run stands for itself.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Iteration && medians_.count(name)) continue;
      if (run.run_type == Run::RT_Aggregate) medians_[name] = true;
      const bool wallTime = name.size() >= 10 && name.rfind("/real_time") == name.size() - 10;
      ns_[name] = wallTime ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
      ns_["cpu:" + name] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "name / control = ratio" for every pair whose runs both happened.
  void printRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::printf("\n%-52s %10s   %-52s %10s %8s\n", "measured", "time", "control", "time", "ratio");
    for (const auto& [measured, control] : pairs) {
      const auto m = ns_.find(measured), c = ns_.find(control);
      if (m == ns_.end() || c == ns_.end() || c->second <= 0) continue;
      std::printf("%-52s %10.1f   %-52s %10.1f %8.3f\n", measured.c_str(), m->second,
                  control.c_str(), c->second, m->second / c->second);
    }
  }

  double time(const std::string& name) const {
    const auto it = ns_.find(name);
    return it == ns_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> ns_;
  std::map<std::string, bool> medians_;
};

// Runs every registered benchmark, then prints the ratios.
inline int runWithRatios(int argc, char** argv,
                         const std::vector<std::pair<std::string, std::string>>& pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios(pairs);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
