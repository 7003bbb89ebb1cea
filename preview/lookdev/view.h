// The lookdev view: what mattora-lookdev renders and plots for a request,
// through the preview's own render core and host paths.
#pragma once

#include "preview/options.h"
#include "preview/scene.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace preview {
class HostLibrary;
class ShadingBackend;
}  // namespace preview

namespace lookdev {

class RenderQueue;

// The preview's scene for `options`; with a key light given, the preset's
// key light (if it has one) becomes a directional light from that direction.
preview::Scene makeViewScene(const preview::Options& options);

struct Frame {
  std::string contentType;  // image/png or image/x-exr
  std::string body;
  std::string summary;   // mattora-preview's summary line for the same render
  double seconds = 0.0;  // from the render's start to the picture encoded
  // |maya - mental ray| over the linear values, when both hosts rendered;
  // negative otherwise.
  double maxDifference = -1.0;
  bool cancelled = false;  // nothing to send: the frame was dropped
  // Where each sphere lies in the picture, for a page that points at them:
  // "x,y,radius" in pixels from the top-left, ';' between spheres, every
  // view in turn (left to right).
  std::string spheres;
};

// The reflectance factor in the plane of incidence, per roughness: the light
// at `elevation` from the normal on one side, the view swept over `angles`
// (degrees; positive toward the light), shaded through each deliverable with
// colour 1, diffuse 1 and one directional light of intensity 1.
struct Curve {
  float roughness = 0.0f;
  float A = 0.0f, B = 0.0f;  // the model's coefficients, from the reflectance term
  std::vector<float> maya, mentalray;
};

struct Plot {
  double elevation = 0.0;  // degrees
  double lambert = 0.0;    // the Lambert factor, cos(elevation), for every view
  std::vector<int> angles;
  std::vector<Curve> curves;
};

// The light's elevation a plot uses: that of the key light from the view
// axis (a surface facing the camera), the preset key's when none is given.
double keyElevationDegrees(const preview::Options& options);

// Renders views and plots on render threads shared by all of them: each
// render has a scene of its own in both hosts, so they run at once, taking
// turns tile by tile.
class ViewRenderer {
 public:
  // Renders at once hold views of at most this many pixels, counting both
  // hosts': two of the largest. More wait their turn.
  static constexpr long long kPixelBudget = 4 * preview::kMaxPixels;

  // Empty paths: the plug-in files built beside the program. At most
  // `maxJobs` renders and plots are worked on at once.
  ViewRenderer(int threads, std::string mayaPlugin, std::string mentalrayLibrary, int maxJobs = 32);
  ~ViewRenderer();

  int threads() const;

  // Loads both plug-in files, once: every render and plot shades through
  // them. False with `error` when one cannot be used (then asked again next
  // time).
  bool load(std::string& error);

  // Renders the view on the render threads and hands the outcome to `done`
  // on one of them: false with the problem when a plug-in cannot be loaded
  // or the picture not encoded. `cancelled` is asked until the render
  // starts and between tiles; once true the frame is dropped
  // (frame.cancelled).
  using FrameDone = std::function<void(bool ok, Frame& frame, const std::string& error)>;
  void render(const preview::Options& options, std::function<bool()> cancelled, FrameDone done);
  using PlotDone = std::function<void(bool ok, Plot& plot, const std::string& error)>;
  void plot(const preview::Options& options, PlotDone done);

  // The same, waiting for the outcome.
  bool render(const preview::Options& options, const std::function<bool()>& cancelled, Frame& frame,
              std::string& error);
  bool plot(const preview::Options& options, Plot& plot, std::string& error);

 private:
  class FrameJob;
  class PlotJob;

  preview::Options withFiles(const preview::Options& options) const;
  // The backends `options.host` asks for, from the loaded plug-in files.
  bool makeBackends(const preview::Options& options,
                    std::vector<std::unique_ptr<preview::ShadingBackend>>& backends,
                    std::string& error);

  std::string mayaPlugin_, mentalrayLibrary_;
  std::mutex loadMutex_;
  std::shared_ptr<const preview::HostLibrary> maya_, mentalray_;
  // Last, so that its threads stop first.
  std::unique_ptr<RenderQueue> queue_;
};

}  // namespace lookdev
