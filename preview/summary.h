// The one line mattora-preview prints when it is done.
#pragma once

#include "preview/options.h"
#include "preview/render.h"

#include <string>
#include <vector>

namespace preview {

struct HostRun {
  std::string name;
  RenderStats stats;
};

struct Summary {
  int width = 0, height = 0;  // of one row
  int samplesPerPixel = 0;
  int threads = 0;
  std::vector<HostRun> runs;
  double wallSeconds = 0.0;
  // Set when two hosts rendered the same thing; otherwise why not.
  bool compared = false;
  double maxDifference = 0.0;
  std::string notCompared;
};

std::string summaryLine(const Summary& summary);

// Why the Maya and mental ray rows of a run with `options` are not expected
// to agree (the options that only one host honours), or empty when they are.
std::string whyHostsDiffer(const Options& options);

}  // namespace preview
