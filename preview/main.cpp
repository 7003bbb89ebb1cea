// mattora-preview: renders a row of spheres in the mattora material through
// each host's deliverable and writes the picture, one row per host.
#include "preview/exr.h"
#include "preview/hosts.h"
#include "preview/options.h"
#include "preview/picture.h"
#include "preview/png.h"
#include "preview/progress.h"
#include "preview/render.h"
#include "preview/summary.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace preview;

namespace {

// The message stays on one line whatever it quotes: a file name given on the
// command line may hold a line break or a terminal escape.
int failWith(const std::string& message, int code) {
  std::string line;
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      line += escaped;
    } else {
      line += c;
    }
  }
  std::fprintf(stderr, "mattora-preview: %s\n", line.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  const ParseResult parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.action == ParseResult::Action::Help) {
    std::fputs(parsed.help.c_str(), stdout);
    return 0;
  }
  if (parsed.action == ParseResult::Action::Fail)
    return failWith(parsed.error + " (see --help)", 2);
  const Options& options = parsed.options;

  const Scene scene = makeScene(options.width, options.height, options.roughness, options.color,
                                options.diffuse, options.translucence, options.lights);
  RenderSettings settings;
  settings.samplesPerPixel = options.samplesPerPixel;
  settings.threads = options.threads > 0 ? options.threads : defaultThreadCount();

  // Every host is loaded and set up before any renders, so a broken plug-in
  // file is reported at once rather than after the other host's row.
  std::vector<std::unique_ptr<ShadingBackend>> backends;
  std::string error;
  if (!makeBackends(options, backends, error)) return failWith(error, 1);
  for (const auto& backend : backends)
    if (!backend->prepare(scene, error)) return failWith(error, 1);

  std::vector<LinearImage> images(backends.size());
  Summary summary;
  summary.width = options.width;
  summary.height = options.height;
  summary.samplesPerPixel = settings.samplesPerPixel;
  summary.threads = settings.threads;
  {
    ProgressBar progress;
    for (size_t i = 0; i < backends.size(); ++i) {
      const std::string name = backends[i]->name();
      std::function<void(double)> onProgress;
      if (progress.enabled()) {
        onProgress = [&, i](double fraction) {
          progress.update(name, static_cast<int>(i), static_cast<int>(backends.size()), fraction);
        };
      }
      const RenderStats stats = renderImage(scene, *backends[i], settings, images[i], onProgress);
      summary.runs.push_back(HostRun{name, stats});
    }
  }

  std::vector<LabelledRow> rows;
  std::vector<std::string> rowHosts;
  for (size_t i = 0; i < backends.size(); ++i) {
    rows.push_back(LabelledRow{rowLabel(backends[i]->name()), &images[i]});
    rowHosts.push_back(backends[i]->name());
  }
  const bool written =
      options.format == OutputFormat::Exr
          ? writeExr(options.output, composeLinearPicture(scene, rows), options, rowHosts, error)
          : writePng(options.output, composePicture(scene, rows), error);
  if (!written) return failWith(error, 1);

  if (images.size() == 2) {
    summary.notCompared = whyHostsDiffer(options);
    summary.compared = summary.notCompared.empty();
    if (summary.compared) summary.maxDifference = maxAbsDifference(images[0], images[1]);
  }
  summary.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("wrote %s\n%s\n", options.output.c_str(), summaryLine(summary).c_str());

  for (const HostRun& run : summary.runs)
    if (run.stats.nonFiniteSamples > 0)
      return failWith(run.name + " shaded samples that are not finite numbers", 1);
  return 0;
}
