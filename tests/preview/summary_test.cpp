#include "preview/summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using preview::HostRun;
using preview::Options;
using preview::RenderStats;
using preview::Summary;
using preview::summaryLine;
using preview::whyHostsDiffer;

namespace {

RenderStats stats(double seconds, long long camera, long long shaded, long long nonFinite = 0) {
  RenderStats s;
  s.seconds = seconds;
  s.cameraSamples = camera;
  s.shadedSamples = shaded;
  s.nonFiniteSamples = nonFinite;
  return s;
}

Summary twoHosts() {
  Summary s;
  s.width = 640;
  s.height = 160;
  s.samplesPerPixel = 4;
  s.threads = 2;
  // 409600 camera samples; 200000 shaded in 0.5 s and 0.25 s: 0.40 and 0.80 M/s.
  s.runs = {HostRun{"maya", stats(0.5, 409600, 200000)},
            HostRun{"mentalray", stats(0.25, 409600, 200000)}};
  s.wallSeconds = 0.875;
  return s;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Summary, LineCarriesSizeSamplesTimesRatesAndDifference) {
  Summary s = twoHosts();
  s.compared = true;
  s.maxDifference = 2.5e-7;
  const std::string line = summaryLine(s);
  for (const char* part :
       {"640x160", "4 spp", "2 threads", "409600 samples per host", "maya 0.500 s",
        "0.40 M shaded samples/s", "mentalray 0.250 s", "0.80 M shaded samples/s", "wall 0.875 s",
        "max |maya - mentalray| = 2.5e-07"})
    EXPECT_TRUE(contains(line, part)) << "missing \"" << part << "\" in: " << line;
  EXPECT_FALSE(contains(line, "\n"));
}

TEST(Summary, SaysWhyRowsWereNotCompared) {
  Summary s = twoHosts();
  s.notCompared = "--irradiance is mental ray only";
  const std::string line = summaryLine(s);
  EXPECT_TRUE(contains(line, "not compared: --irradiance is mental ray only")) << line;
  EXPECT_FALSE(contains(line, "max |")) << line;
}

TEST(Summary, ReportsNonFiniteSamplesAndSingleHosts) {
  Summary s = twoHosts();
  s.runs.pop_back();
  s.runs[0].stats.nonFiniteSamples = 3;
  const std::string line = summaryLine(s);
  EXPECT_TRUE(contains(line, "409600 samples;")) << line;
  EXPECT_TRUE(contains(line, "3 NOT FINITE")) << line;
  EXPECT_FALSE(contains(line, "per host")) << line;
}

TEST(Summary, OnlySharedOptionsLetHostsBeCompared) {
  struct Case {
    const char* name;
    bool irradiance, texture;
    float translucence;
    const char* reason;  // empty: the rows must agree
  };
  const std::vector<Case> cases = {
      {"defaults", false, false, 0.0f, ""},
      {"irradiance", true, false, 0.0f, "--irradiance is mental ray only"},
      {"texture", false, true, 0.0f, "--texture is mental ray only"},
      {"translucence", false, false, 0.5f, "translucence is Maya only"},
      {"all three", true, true, 0.5f,
       "--irradiance is mental ray only, --texture is mental ray only, translucence is Maya only"},
  };
  for (const Case& c : cases) {
    Options o;
    o.irradiance = c.irradiance;
    o.texture = c.texture;
    o.translucence = c.translucence;
    EXPECT_EQ(whyHostsDiffer(o), c.reason) << c.name;
  }
}

}  // namespace
