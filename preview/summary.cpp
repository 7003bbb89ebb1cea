#include "preview/summary.h"

#include <cstdio>

namespace preview {

std::string summaryLine(const Summary& s) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%dx%d, %d spp, %d threads, %lld samples", s.width, s.height,
                s.samplesPerPixel, s.threads,
                s.runs.empty() ? 0LL : s.runs.front().stats.cameraSamples);
  std::string line = buffer;
  if (s.runs.size() > 1) line += " per host";
  for (const HostRun& run : s.runs) {
    const double rate = run.stats.seconds > 0.0
                            ? static_cast<double>(run.stats.shadedSamples) / run.stats.seconds
                            : 0.0;
    std::snprintf(buffer, sizeof buffer, "; %s %.3f s, %.2f M shaded samples/s", run.name.c_str(),
                  run.stats.seconds, rate * 1e-6);
    line += buffer;
    if (run.stats.nonFiniteSamples > 0) {
      std::snprintf(buffer, sizeof buffer, " (%lld NOT FINITE)", run.stats.nonFiniteSamples);
      line += buffer;
    }
  }
  std::snprintf(buffer, sizeof buffer, "; wall %.3f s", s.wallSeconds);
  line += buffer;
  if (s.compared && s.runs.size() == 2) {
    std::snprintf(buffer, sizeof buffer, "; max |%s - %s| = %.3g", s.runs[0].name.c_str(),
                  s.runs[1].name.c_str(), s.maxDifference);
    line += buffer;
  } else if (!s.notCompared.empty()) {
    line += "; not compared: " + s.notCompared;
  }
  return line;
}

std::string whyHostsDiffer(const Options& options) {
  std::string reason;
  auto add = [&reason](const char* what) {
    if (!reason.empty()) reason += ", ";
    reason += what;
  };
  if (options.irradiance) add("--irradiance is mental ray only");
  if (options.texture) add("--texture is mental ray only");
  if (options.translucence != 0.0f) add("translucence is Maya only");
  return reason;
}

}  // namespace preview
