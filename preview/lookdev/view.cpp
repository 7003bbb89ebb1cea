#include "preview/lookdev/view.h"

#include "core/orenNayar.h"
#include "preview/exr.h"
#include "preview/hosts.h"
#include "preview/lookdev/renderQueue.h"
#include "preview/picture.h"
#include "preview/png.h"
#include "preview/render.h"
#include "preview/summary.h"
#include "preview/tiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>
#include <utility>

namespace lookdev {

using preview::Host;
using preview::Options;
using preview::Scene;

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
// Between the two hosts' pictures side by side, in the label bands' colour.
constexpr int kGap = 8;
const unsigned char kGapColor[3] = {24, 24, 28};

bool hasKeyLight(preview::LightPreset preset) { return preset != preview::LightPreset::Side; }

// The preset key light's position, seen from the middle of the row.
preview::Vec3 presetKeyDirection() {
  const preview::Light key = preview::presetLights(preview::LightPreset::Key).front();
  const preview::Vec3 d{key.position.x, key.position.y, key.position.z + preview::kSphereDistance};
  const float length = std::sqrt(orennayar::dot(d, d));
  return preview::Vec3{d.x / length, d.y / length, d.z / length};
}

// Two pictures of one height next to each other, a gap between them.
template <class P, class T>
P sideBySide(const P& left, const P& right, const T gapColor[3]) {
  P out;
  out.width = left.width + kGap + right.width;
  out.height = left.height;
  out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y) {
    T* row = &out.rgb[static_cast<size_t>(y) * out.width * 3];
    std::copy_n(&left.rgb[static_cast<size_t>(y) * left.width * 3], left.width * 3, row);
    for (int x = 0; x < kGap; ++x) std::copy_n(gapColor, 3, row + (left.width + x) * 3);
    std::copy_n(&right.rgb[static_cast<size_t>(y) * right.width * 3], right.width * 3,
                row + (left.width + kGap) * 3);
  }
  return out;
}

// What the difference view shows: |a - b| per channel, scaled so that the
// largest difference is white, or black when there is none.
preview::LinearImage scaledDifference(const preview::LinearImage& a, const preview::LinearImage& b,
                                      double largest, double& scale) {
  preview::LinearImage out(a.width, a.height);
  scale = largest > 0.0 && std::isfinite(largest) ? 1.0 / largest : 1.0;
  for (size_t i = 0; i < out.rgb.size(); ++i)
    out.rgb[i] = static_cast<float>(std::fabs(static_cast<double>(a.rgb[i]) - b.rgb[i]) * scale);
  return out;
}

// The options a quick frame renders with: half the size in each direction.
Options rendered(const Options& options) {
  Options o = options;
  if (o.quick) {
    o.width = (o.width + 1) / 2;
    o.height = (o.height + 1) / 2;
  }
  return o;
}

// `image` stretched to width x height, each pixel interpolated between the
// four nearest of the image (bilinear, the edges held): across first, row by
// row of the image, then down.
preview::LinearImage scaledTo(const preview::LinearImage& image, int width, int height) {
  struct Step {
    int low, high;
    float t;
  };
  const auto steps = [](int from, int to) {
    std::vector<Step> out(static_cast<size_t>(to));
    const float scale = static_cast<float>(from) / static_cast<float>(to);
    for (int i = 0; i < to; ++i) {
      const float at = std::min(std::max((static_cast<float>(i) + 0.5f) * scale - 0.5f, 0.0f),
                                static_cast<float>(from - 1));
      const int low = static_cast<int>(at);
      out[static_cast<size_t>(i)] = Step{low, std::min(low + 1, from - 1), at - low};
    }
    return out;
  };
  const std::vector<Step> across = steps(image.width, width), down = steps(image.height, height);
  preview::LinearImage wide(width, image.height);
  for (int y = 0; y < image.height; ++y) {
    const float* in = image.pixel(0, y);
    float* out = wide.pixel(0, y);
    for (const Step& s : across)
      for (int c = 0; c < 3; ++c, ++out)
        *out = in[s.low * 3 + c] + (in[s.high * 3 + c] - in[s.low * 3 + c]) * s.t;
  }
  preview::LinearImage out(width, height);
  for (int y = 0; y < height; ++y) {
    const Step& s = down[static_cast<size_t>(y)];
    const float* top = wide.pixel(0, s.low);
    const float* bottom = wide.pixel(0, s.high);
    float* row = out.pixel(0, y);
    for (int i = 0; i < width * 3; ++i) row[i] = top[i] + (bottom[i] - top[i]) * s.t;
  }
  return out;
}

// The spheres' discs in a picture of `views` views side by side, each view
// between the label bands of composePicture.
std::string sphereDiscs(const Scene& scene, int views, int pictureHeight) {
  const preview::Camera& camera = scene.camera;
  const int band = (pictureHeight - camera.height) / 2;
  std::string out;
  for (int v = 0; v < views; ++v) {
    for (const preview::Sphere& sphere : scene.spheres) {
      const double depth = -sphere.center.z;
      const double x = (sphere.center.x / depth / camera.halfWidth + 1.0) * 0.5 * camera.width;
      const double y = (1.0 - sphere.center.y / depth / camera.halfHeight) * 0.5 * camera.height;
      const double distance = std::sqrt(orennayar::dot(sphere.center, sphere.center));
      const double r = std::tan(std::asin(std::min(1.0, sphere.radius / distance))) /
                       camera.halfHeight * 0.5 * camera.height;
      char text[64];
      std::snprintf(text, sizeof text, "%s%.1f,%.1f,%.1f", out.empty() ? "" : ";",
                    x + v * (camera.width + kGap), y + band, r);
      out += text;
    }
  }
  return out;
}

}  // namespace

Scene makeViewScene(const Options& o) {
  Scene scene = preview::makeScene(o.width, o.height, o.roughness, o.color, o.diffuse,
                                   o.translucence, o.lights);
  if (o.hasKeyLight && hasKeyLight(o.lights)) {
    // Every preset that has the key puts it first.
    const miColor color = scene.lights.front().color;
    scene.lights.front() =
        mrhost::directionalLight(color, miVector{-o.keyLight.x, -o.keyLight.y, -o.keyLight.z});
  }
  return scene;
}

double keyElevationDegrees(const Options& o) {
  const preview::Vec3 toLight = o.hasKeyLight ? o.keyLight : presetKeyDirection();
  const double z = std::max(-1.0, std::min(1.0, static_cast<double>(toLight.z)));
  return std::acos(z) / kDegree;
}

// One view: set up on a render thread, one task per tile of each host's
// view, and composed and encoded by the thread that finishes the last tile.
class ViewRenderer::FrameJob : public RenderJob {
 public:
  FrameJob(ViewRenderer& renderer, const Options& options, std::function<bool()> cancelled,
           FrameDone done)
      : renderer_(renderer),
        options_(renderer.withFiles(options)),
        cancelled_(std::move(cancelled)),
        done_(std::move(done)),
        scene_(makeViewScene(options_)),
        renderScene_(options_.quick ? makeViewScene(rendered(options_)) : scene_) {}

  long long cost() const override {
    const long long views = options_.host == Host::Maya || options_.host == Host::Mentalray ? 1 : 2;
    return views * options_.width * options_.height;
  }

  int start() override {
    start_ = std::chrono::steady_clock::now();
    try {
      if (!renderer_.makeBackends(options_, backends_, error_)) return 0;
      const int threads = renderer_.threads();
      for (const auto& backend : backends_) {
        if (!backend->prepare(renderScene_, error_)) return 0;
        shaders_.emplace_back();
        for (int t = 0; t < threads; ++t) shaders_.back().push_back(backend->forThread());
        counts_.emplace_back(static_cast<size_t>(threads));
        busy_.emplace_back(static_cast<size_t>(threads));
        images_.emplace_back(renderScene_.camera.width, renderScene_.camera.height);
      }
      // A PNG of the hosts side by side: each host's half is composed by the
      // thread that renders its last tile, the first while the other host's
      // tiles are still being rendered.
      composeEach_ =
          options_.format == preview::OutputFormat::Png && options_.host != Host::Difference;
      remaining_ = std::make_unique<std::atomic<int>[]>(backends_.size());
      for (size_t h = 0; h < backends_.size(); ++h) remaining_[h] = tiles_.tileCount();
      pictures_.resize(backends_.size());
      problems_.resize(backends_.size());
    } catch (const std::exception& e) {
      error_ = std::string("cannot set the render up: ") + e.what();
      return 0;
    }
    return static_cast<int>(backends_.size()) * tiles_.tileCount();
  }

  void run(int task, int thread) override {
    const size_t host = static_cast<size_t>(task / tiles_.tileCount());
    const auto t = static_cast<size_t>(thread);
    const auto begun = std::chrono::steady_clock::now();
    preview::renderTile(renderScene_, *shaders_[host][t], options_.samplesPerPixel,
                        tiles_.tileAt(task % tiles_.tileCount()), images_[host], counts_[host][t]);
    busy_[host][t].seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    if (composeEach_ && remaining_[host].fetch_sub(1) == 1) composeHost(host);
  }

  bool cancelled() const override { return cancelled_ && cancelled_(); }

  void finish(bool cancelled) override {
    Frame frame;
    bool ok = true;
    if (!error_.empty()) {
      ok = false;
    } else if (cancelled) {
      frame.cancelled = true;
    } else {
      try {
        ok = compose(frame);
      } catch (const std::exception& e) {
        error_ = std::string("cannot encode the picture: ") + e.what();
        ok = false;
      }
    }
    done_(ok, frame, error_);
  }

 private:
  struct alignas(64) Busy {
    double seconds = 0.0;
  };

  bool compose(Frame& frame);
  // The PNG of the composed picture, then the frame's headers: where the
  // spheres lie, its time and its summary.
  bool encoded(const preview::Picture& picture, int views, preview::Summary& summary, Frame& frame);
  void describe(int views, int pictureHeight, preview::Summary& summary, Frame& frame);

  // The picture of one host's view under its label, scaled up first for a
  // quick frame.
  void composeHost(size_t host) {
    try {
      const preview::LinearImage* image = &images_[host];
      preview::LinearImage scaled;
      if (options_.quick) {
        scaled = scaledTo(*image, scene_.camera.width, scene_.camera.height);
        image = &scaled;
      }
      pictures_[host] = preview::composePicture(
          scene_, {preview::LabelledRow{preview::rowLabel(backends_[host]->name()), image}});
    } catch (const std::exception& e) {
      problems_[host] = std::string("cannot compose the picture: ") + e.what();
    }
  }

  ViewRenderer& renderer_;
  const Options options_;
  const std::function<bool()> cancelled_;
  const FrameDone done_;
  const Scene scene_;        // the picture's
  const Scene renderScene_;  // the views rendered: scene_, or for a quick frame half its size
  const preview::TileScheduler tiles_{renderScene_.camera.width, renderScene_.camera.height,
                                      preview::kTileSize};
  std::chrono::steady_clock::time_point start_;
  std::string error_;
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends_;
  // Per host, per render thread.
  std::vector<std::vector<std::unique_ptr<preview::ThreadShader>>> shaders_;
  std::vector<std::vector<preview::TileCounts>> counts_;
  std::vector<std::vector<Busy>> busy_;
  std::vector<preview::LinearImage> images_;  // per host
  bool composeEach_ = false;
  std::unique_ptr<std::atomic<int>[]> remaining_;  // per host: tiles not yet rendered
  std::vector<preview::Picture> pictures_;         // per host, when composeEach_
  std::vector<std::string> problems_;              // per host, of composeHost
};

bool ViewRenderer::FrameJob::compose(Frame& frame) {
  const Options& options = options_;
  const Scene& scene = scene_;
  std::string& error = error_;
  preview::Summary summary;
  summary.width = renderScene_.camera.width;
  summary.height = renderScene_.camera.height;
  summary.samplesPerPixel = options.samplesPerPixel;
  summary.threads = renderer_.threads();
  std::vector<std::string> hosts;
  for (size_t h = 0; h < backends_.size(); ++h) {
    preview::RenderStats stats;
    stats.cameraSamples =
        static_cast<long long>(summary.width) * summary.height * options.samplesPerPixel;
    for (size_t t = 0; t < counts_[h].size(); ++t) {
      stats.shadedSamples += counts_[h][t].shaded;
      stats.nonFiniteSamples += counts_[h][t].nonFinite;
      stats.seconds += busy_[h][t].seconds;
    }
    // The host's time is its share of the render threads' time.
    stats.seconds /= summary.threads;
    hosts.push_back(backends_[h]->name());
    summary.runs.push_back(preview::HostRun{hosts.back(), stats});
    if (stats.nonFiniteSamples > 0) {
      error = hosts.back() + " shaded samples that are not finite numbers";
      return false;
    }
  }
  std::vector<preview::LinearImage>& images = images_;
  // The difference view and its header need the largest difference even
  // where the options make the hosts differ.
  if (images.size() == 2) {
    summary.notCompared = preview::whyHostsDiffer(options);
    summary.compared = summary.notCompared.empty();
    summary.maxDifference = preview::maxAbsDifference(images[0], images[1]);
    frame.maxDifference = summary.maxDifference;
  }
  if (composeEach_) {
    for (const std::string& problem : problems_) {
      if (problem.empty()) continue;
      error = problem;
      return false;
    }
    preview::Picture picture = std::move(pictures_[0]);
    if (pictures_.size() == 2) picture = sideBySide(picture, pictures_[1], kGapColor);
    return encoded(picture, static_cast<int>(pictures_.size()), summary, frame);
  }
  if (options.quick)
    for (preview::LinearImage& image : images)
      image = scaledTo(image, scene.camera.width, scene.camera.height);

  // The rows the picture shows, left to right.
  std::vector<preview::LabelledRow> rows;
  std::vector<std::string> rowHosts;
  preview::LinearImage difference;
  if (options.host == Host::Difference) {
    double scale = 1.0;
    difference = scaledDifference(images[0], images[1], frame.maxDifference, scale);
    char label[96];
    std::snprintf(label, sizeof label, "ABS(MAYA - MENTAL RAY) X %.3g, MAX %.3g", scale,
                  frame.maxDifference);
    rows.push_back(preview::LabelledRow{label, &difference});
    rowHosts.push_back("difference");
  } else {
    for (size_t i = 0; i < images.size(); ++i) {
      rows.push_back(preview::LabelledRow{preview::rowLabel(hosts[i]), &images[i]});
      rowHosts.push_back(hosts[i]);
    }
  }
  int pictureHeight = 0;
  if (options.format == preview::OutputFormat::Exr) {
    preview::LinearPicture picture = preview::composeLinearPicture(scene, {rows[0]});
    if (rows.size() == 2) {
      const float gap[3] = {0.0f, 0.0f, 0.0f};
      picture = sideBySide(picture, preview::composeLinearPicture(scene, {rows[1]}), gap);
    }
    if (!preview::encodeExr(picture, options, rowHosts, frame.body, error)) return false;
    frame.contentType = "image/x-exr";
    pictureHeight = picture.height;
  } else {
    preview::Picture picture = preview::composePicture(scene, {rows[0]});
    if (rows.size() == 2)
      picture = sideBySide(picture, preview::composePicture(scene, {rows[1]}), kGapColor);
    return encoded(picture, static_cast<int>(rows.size()), summary, frame);
  }
  describe(static_cast<int>(rows.size()), pictureHeight, summary, frame);
  return true;
}

bool ViewRenderer::FrameJob::encoded(const preview::Picture& picture, int views,
                                     preview::Summary& summary, Frame& frame) {
  std::vector<unsigned char> bytes;
  if (!preview::encodePng(
          picture, bytes, error_,
          options_.quick ? preview::PngCompression::Fast : preview::PngCompression::Small))
    return false;
  frame.body.assign(bytes.begin(), bytes.end());
  frame.contentType = "image/png";
  describe(views, picture.height, summary, frame);
  return true;
}

void ViewRenderer::FrameJob::describe(int views, int pictureHeight, preview::Summary& summary,
                                      Frame& frame) {
  frame.spheres = sphereDiscs(scene_, views, pictureHeight);
  frame.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  summary.wallSeconds = frame.seconds;
  frame.summary = preview::summaryLine(summary);
}

// The curves: one task per host, each on one thread's shader of its own.
class ViewRenderer::PlotJob : public RenderJob {
 public:
  PlotJob(ViewRenderer& renderer, const Options& request, PlotDone done)
      : renderer_(renderer), options_(renderer.withFiles(request)), done_(std::move(done)) {
    // The curves are the reflectance factor alone: the mental-ray-only terms
    // would add light that does not come from the key.
    options_.irradiance = false;
    options_.texture = false;
  }

  long long cost() const override { return 0; }

  int start() override {
    plot_.elevation = keyElevationDegrees(options_);
    const double thetaI = plot_.elevation * kDegree;
    plot_.lambert = std::max(0.0, std::cos(thetaI));
    // A surface facing +z; light and view in the x-z plane.
    const preview::Vec3 L{static_cast<float>(std::sin(thetaI)), 0.0f,
                          static_cast<float>(std::cos(thetaI))};
    for (const float sigma : options_.roughness)
      scene_.spheres.push_back(
          preview::Sphere{preview::Vec3{0.0f, 0.0f, 0.0f}, 1.0f,
                          preview::Material{sigma, {1.0f, 1.0f, 1.0f}, 1.0f, 0.0f}});
    scene_.lights = {
        mrhost::directionalLight(miColor{1.0f, 1.0f, 1.0f, 1.0f}, miVector{-L.x, -L.y, -L.z})};
    plot_.curves.resize(scene_.spheres.size());
    for (size_t s = 0; s < scene_.spheres.size(); ++s)
      plot_.curves[s].roughness = scene_.spheres[s].material.roughness;
    try {
      for (const Host host : {Host::Maya, Host::Mentalray}) {
        options_.host = host;
        std::vector<std::unique_ptr<preview::ShadingBackend>> made;
        if (!renderer_.makeBackends(options_, made, error_) ||
            !made.front()->prepare(scene_, error_))
          return 0;
        shaders_.push_back(made.front()->forThread());
        backends_.push_back(std::move(made.front()));
      }
    } catch (const std::exception& e) {
      error_ = std::string("cannot set the plot up: ") + e.what();
      return 0;
    }
    return 2;
  }

  void run(int task, int) override {
    const preview::Vec3 N{0.0f, 0.0f, 1.0f};
    for (size_t s = 0; s < scene_.spheres.size(); ++s) {
      Curve& curve = plot_.curves[s];
      std::vector<float>& values = task == 0 ? curve.maya : curve.mentalray;
      for (int degrees = -90; degrees <= 90; ++degrees) {
        const double thetaR = degrees * kDegree;
        const preview::Vec3 V{static_cast<float>(std::sin(thetaR)), 0.0f,
                              static_cast<float>(std::cos(thetaR))};
        preview::Hit hit;
        hit.sphere = static_cast<int>(s);
        hit.point = preview::Vec3{0.0f, 0.0f, 0.0f};
        hit.normal = N;
        hit.direction = preview::Vec3{-V.x, -V.y, -V.z};
        values.push_back(shaders_[static_cast<size_t>(task)]->shade(hit).r);
      }
    }
  }

  bool cancelled() const override { return false; }

  void finish(bool) override {
    shaders_.clear();
    backends_.clear();
    const bool ok = error_.empty();
    if (ok) {
      for (int degrees = -90; degrees <= 90; ++degrees) plot_.angles.push_back(degrees);
      const preview::Vec3 N{0.0f, 0.0f, 1.0f};
      for (Curve& curve : plot_.curves) {
        const orennayar::OrenNayar model(N, N, curve.roughness);
        curve.A = model.A();
        curve.B = model.B();
      }
    }
    done_(ok, plot_, error_);
  }

 private:
  ViewRenderer& renderer_;
  Options options_;
  const PlotDone done_;
  Scene scene_;
  Plot plot_;
  std::string error_;
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends_;  // Maya, mental ray
  std::vector<std::unique_ptr<preview::ThreadShader>> shaders_;
};

ViewRenderer::ViewRenderer(int threads, std::string mayaPlugin, std::string mentalrayLibrary,
                           int maxJobs) {
  // The default files lie beside the program, which /proc names: looked up
  // once here rather than on every request.
  Options files;
  files.mayaPlugin = std::move(mayaPlugin);
  files.mentalrayLibrary = std::move(mentalrayLibrary);
  mayaPlugin_ = preview::mayaPluginPath(files);
  mentalrayLibrary_ = preview::mentalrayLibraryPath(files);
  queue_ = std::make_unique<RenderQueue>(threads, maxJobs, kPixelBudget);
}

ViewRenderer::~ViewRenderer() = default;

int ViewRenderer::threads() const { return queue_->threads(); }

Options ViewRenderer::withFiles(const Options& options) const {
  Options o = options;
  o.mayaPlugin = mayaPlugin_;
  o.mentalrayLibrary = mentalrayLibrary_;
  return o;
}

bool ViewRenderer::load(std::string& error) {
  const std::lock_guard<std::mutex> lock(loadMutex_);
  const Options files = withFiles(Options{});
  if (!maya_) maya_ = preview::loadMayaLibrary(files, error);
  if (maya_ && !mentalray_) mentalray_ = preview::loadMentalrayLibrary(files, error);
  return maya_ && mentalray_;
}

bool ViewRenderer::makeBackends(const Options& options,
                                std::vector<std::unique_ptr<preview::ShadingBackend>>& backends,
                                std::string& error) {
  backends.clear();
  if (!load(error)) return false;
  if (options.host != Host::Mentalray) backends.push_back(maya_->newBackend(options));
  if (options.host != Host::Maya) backends.push_back(mentalray_->newBackend(options));
  return true;
}

void ViewRenderer::render(const Options& options, std::function<bool()> cancelled, FrameDone done) {
  queue_->submit(std::make_shared<FrameJob>(*this, options, std::move(cancelled), std::move(done)));
}

void ViewRenderer::plot(const Options& options, PlotDone done) {
  queue_->submit(std::make_shared<PlotJob>(*this, options, std::move(done)));
}

namespace {

// Waits for one outcome handed over by a render thread.
template <class Result>
bool awaited(const std::function<void(std::function<void(bool, Result&, const std::string&)>)>& ask,
             Result& result, std::string& error) {
  std::promise<bool> promise;
  std::future<bool> outcome = promise.get_future();
  ask([&](bool ok, Result& value, const std::string& why) {
    result = std::move(value);
    error = why;
    promise.set_value(ok);
  });
  return outcome.get();
}

}  // namespace

bool ViewRenderer::render(const Options& options, const std::function<bool()>& cancelled,
                          Frame& frame, std::string& error) {
  return awaited<Frame>([&](FrameDone done) { render(options, cancelled, std::move(done)); }, frame,
                        error);
}

bool ViewRenderer::plot(const Options& options, Plot& plot, std::string& error) {
  return awaited<Plot>([&](PlotDone done) { this->plot(options, std::move(done)); }, plot, error);
}

}  // namespace lookdev
