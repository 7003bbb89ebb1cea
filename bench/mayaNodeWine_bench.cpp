// The mattora node against its Lambert twin, both built in the Microsoft ABI
// and loaded by the stand-in host as Maya loads them, timed under Wine. In
// that ABI every MFloatVector operation and data-handle access is a call into
// OpenMaya.dll, as with Maya's published devkit.
//
// Debian has no Google Benchmark for Windows programs, so this program keeps
// to the same method by hand: the node and its twin take turns, each turn
// timing the same samples after a warm-up, and the medians of the turns give
// the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "mayaNodeWorkload.h"
#include "support/besideExecutable.h"

namespace {

using namespace bench;

constexpr int kTurns = 7;
constexpr std::size_t kTimedSamples = 200000;

// Nanoseconds per sample of one turn, or a negative number with the reason
// printed.
double turn(const char* plugin, unsigned lights) {
  LoadedNode n(testsupport::besideExecutable(plugin), lights);
  if (!n.block) {
    std::fprintf(stderr, "%s: %s\n", plugin, n.error.c_str());
    return -1;
  }
  const std::vector<Sample>& all = samples();
  float sink = 0;
  for (std::size_t i = 0; i < kTimedSamples / 10; ++i)
    sink += shadeThroughHost(n, all[i & (kSamples - 1)], lights).x;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < kTimedSamples; ++i)
    sink += shadeThroughHost(n, all[i & (kSamples - 1)], lights).x;
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  if (sink != sink) std::fprintf(stderr, "a NaN was shaded\n");
  return took.count() / kTimedSamples;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  std::printf("%-10s %14s %14s %8s   (median of %d alternating turns, ns per sample)\n", "lights",
              "mattora", "Lambert twin", "ratio", kTurns);
  for (unsigned lights : {1u, 4u}) {
    std::vector<double> node, twin;
    for (int t = 0; t < kTurns; ++t) {
      // Alternate which one goes first, so neither always meets a warmer cache.
      const bool nodeFirst = t % 2 == 0;
      const double a = turn(nodeFirst ? MATTORA_PLUGIN : LAMBERT_TWIN_PLUGIN, lights);
      const double b = turn(nodeFirst ? LAMBERT_TWIN_PLUGIN : MATTORA_PLUGIN, lights);
      if (a < 0 || b < 0) return 1;
      node.push_back(nodeFirst ? a : b);
      twin.push_back(nodeFirst ? b : a);
    }
    const double n = median(node), w = median(twin);
    std::printf("%-10u %14.1f %14.1f %8.3f\n", lights, n, w, n / w);
  }
  return 0;
}
