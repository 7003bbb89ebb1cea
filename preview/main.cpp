// mattora-preview: renders a row of spheres in the mattora material through
// each host's deliverable and writes the picture, one row per host.
#include "preview/atomicFile.h"
#include "preview/exr.h"
#include "preview/hosts.h"
#include "preview/look.h"
#include "preview/options.h"
#include "preview/picture.h"
#include "preview/png.h"
#include "preview/progress.h"
#include "preview/render.h"
#include "preview/summary.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
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

  if (options.exportFormat != LookFormat::None) {
    const std::string text = lookText(options, options.exportFormat);
    std::string error;
    const bool exported = writeAtomically(
        options.exportPath,
        [&text](const std::string& temporary) -> std::string {
          std::ofstream out(temporary, std::ios::binary);
          out << text;
          out.close();
          return out ? std::string() : "cannot write it";
        },
        error);
    if (!exported) return failWith(error, 1);
    std::printf("wrote %s\n", options.exportPath.c_str());
  }

  const Scene scene = makeScene(options.width, options.height, options.roughness, options.color,
                                options.diffuse, options.translucence, options.lights);
  RenderSettings settings;
  settings.samplesPerPixel = options.samplesPerPixel;
  settings.threads = options.threads > 0 ? options.threads : defaultThreadCount();

  HostRenders renders;
  std::string error;
  {
    ProgressBar progress;
    std::function<void(const std::string&, int, int, double)> onProgress;
    if (progress.enabled()) {
      onProgress = [&progress](const std::string& host, int index, int count, double fraction) {
        progress.update(host, index, count, fraction);
      };
    }
    if (!renderHosts(options, scene, settings, renders, error, onProgress))
      return failWith(error, 1);
  }
  Summary& summary = renders.summary;

  std::vector<LabelledRow> rows;
  for (size_t i = 0; i < renders.images.size(); ++i)
    rows.push_back(LabelledRow{rowLabel(renders.hosts[i]), &renders.images[i]});
  const bool written = options.format == OutputFormat::Exr
                           ? writeExr(options.output, composeLinearPicture(scene, rows), options,
                                      renders.hosts, error)
                           : writePng(options.output, composePicture(scene, rows), error);
  if (!written) return failWith(error, 1);

  summary.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("wrote %s\n%s\n", options.output.c_str(), summaryLine(summary).c_str());

  for (const HostRun& run : summary.runs)
    if (run.stats.nonFiniteSamples > 0)
      return failWith(run.name + " shaded samples that are not finite numbers", 1);
  return 0;
}
