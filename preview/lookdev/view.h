// The lookdev view: what mattora-lookdev renders and plots for a request,
// through the preview's own render core and host paths.
#pragma once

#include "preview/options.h"
#include "preview/scene.h"

#include <condition_variable>
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

// The preview's scene for `options`; with a key light given, the preset's
// key light (if it has one) becomes a directional light from that direction.
preview::Scene makeViewScene(const preview::Options& options);

struct Frame {
  std::string contentType;  // image/png or image/x-exr
  std::string body;
  std::string summary;   // mattora-preview's summary line for the same render
  double seconds = 0.0;  // from the lock taken to the picture encoded
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

// Renders views and plots one at a time: the stand-in mental ray renderer has
// one scene per process, so whatever shades through it must take turns.
class ViewRenderer {
 public:
  // Empty paths: the plug-in files built beside the program.
  ViewRenderer(int threads, std::string mayaPlugin, std::string mentalrayLibrary);

  int threads() const { return threads_; }

  // Loads both plug-in files, once: every render and plot shades through
  // them. False with `error` when one cannot be used (then asked again next
  // time).
  bool load(std::string& error);

  // False with `error` when a plug-in cannot be loaded or the picture not
  // encoded. `cancelled` is asked while waiting for the turn and between
  // tiles (from the render threads); once true the frame is dropped.
  bool render(const preview::Options& options, const std::function<bool()>& cancelled, Frame& frame,
              std::string& error);
  bool plot(const preview::Options& options, Plot& plot, std::string& error);

 private:
  preview::Options withFiles(const preview::Options& options) const;
  // The backends `options.host` asks for, from the loaded plug-in files.
  bool makeBackends(const preview::Options& options,
                    std::vector<std::unique_ptr<preview::ShadingBackend>>& backends,
                    std::string& error);

  // The turn to shade: one holder at a time. A mutex with a condition
  // rather than a timed mutex, whose timed lock ThreadSanitizer cannot see.
  class Turn {
   public:
    explicit Turn(ViewRenderer& renderer) : r_(renderer) {}
    ~Turn();
    // Waits for the turn, asking `cancelled` (if given) every 20 ms; false
    // when cancelled first.
    bool take(const std::function<bool()>& cancelled);

   private:
    ViewRenderer& r_;
    bool held_ = false;
  };

  int threads_;
  std::string mayaPlugin_, mentalrayLibrary_;
  std::mutex loadMutex_;
  std::shared_ptr<const preview::HostLibrary> maya_, mentalray_;
  std::mutex turnMutex_;
  std::condition_variable turnFree_;
  bool busy_ = false;
};

}  // namespace lookdev
