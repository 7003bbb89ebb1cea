#include "preview/lookdev/view.h"

#include "core/orenNayar.h"
#include "preview/exr.h"
#include "preview/hosts.h"
#include "preview/picture.h"
#include "preview/png.h"
#include "preview/render.h"
#include "preview/summary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

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

ViewRenderer::ViewRenderer(int threads, std::string mayaPlugin, std::string mentalrayLibrary)
    : threads_(threads) {
  // The default files lie beside the program, which /proc names: looked up
  // once here rather than on every request.
  Options files;
  files.mayaPlugin = std::move(mayaPlugin);
  files.mentalrayLibrary = std::move(mentalrayLibrary);
  mayaPlugin_ = preview::mayaPluginPath(files);
  mentalrayLibrary_ = preview::mentalrayLibraryPath(files);
}

ViewRenderer::Turn::~Turn() {
  if (!held_) return;
  {
    const std::lock_guard<std::mutex> lock(r_.turnMutex_);
    r_.busy_ = false;
  }
  r_.turnFree_.notify_all();
}

bool ViewRenderer::Turn::take(const std::function<bool()>& cancelled) {
  std::unique_lock<std::mutex> lock(r_.turnMutex_);
  while (r_.busy_) {
    if (cancelled && cancelled()) return false;
    r_.turnFree_.wait_for(lock, std::chrono::milliseconds(20));
  }
  r_.busy_ = true;
  held_ = true;
  return true;
}

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

bool ViewRenderer::render(const Options& request, const std::function<bool()>& cancelled,
                          Frame& frame, std::string& error) {
  frame = Frame{};
  Turn turn(*this);
  if (!turn.take(cancelled)) {
    frame.cancelled = true;
    return true;
  }
  const auto start = std::chrono::steady_clock::now();
  const Options options = withFiles(request);
  const Scene scene = makeViewScene(options);
  preview::RenderSettings settings;
  settings.samplesPerPixel = options.samplesPerPixel;
  settings.threads = threads_;
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
  preview::HostRenders renders;
  if (!makeBackends(options, backends, error) ||
      !preview::renderBackends(backends, options, scene, settings, renders, error, nullptr,
                               cancelled))
    return false;
  if (renders.cancelled) {
    frame.cancelled = true;
    return true;
  }
  preview::Summary& summary = renders.summary;
  std::vector<preview::LinearImage>& images = renders.images;
  for (const preview::HostRun& run : summary.runs) {
    if (run.stats.nonFiniteSamples > 0) {
      error = run.name + " shaded samples that are not finite numbers";
      return false;
    }
  }
  // The difference view and its header need the largest difference even
  // where the options make the hosts differ, and renderHosts measured it only
  // where they compare.
  if (images.size() == 2) {
    if (!summary.compared) summary.maxDifference = preview::maxAbsDifference(images[0], images[1]);
    frame.maxDifference = summary.maxDifference;
  }

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
      rows.push_back(preview::LabelledRow{preview::rowLabel(renders.hosts[i]), &images[i]});
      rowHosts.push_back(renders.hosts[i]);
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
    std::vector<unsigned char> bytes;
    if (!preview::encodePng(picture, bytes, error)) return false;
    frame.body.assign(bytes.begin(), bytes.end());
    frame.contentType = "image/png";
    pictureHeight = picture.height;
  }
  frame.spheres = sphereDiscs(scene, static_cast<int>(rows.size()), pictureHeight);
  frame.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.wallSeconds = frame.seconds;
  frame.summary = preview::summaryLine(summary);
  return true;
}

bool ViewRenderer::plot(const Options& request, Plot& plot, std::string& error) {
  plot = Plot{};
  Options options = withFiles(request);
  // The curves are the reflectance factor alone: the mental-ray-only terms
  // would add light that does not come from the key.
  options.irradiance = false;
  options.texture = false;
  plot.elevation = keyElevationDegrees(options);
  const double thetaI = plot.elevation * kDegree;
  plot.lambert = std::max(0.0, std::cos(thetaI));

  // A surface facing +z; light and view in the x-z plane.
  const preview::Vec3 N{0.0f, 0.0f, 1.0f};
  const preview::Vec3 L{static_cast<float>(std::sin(thetaI)), 0.0f,
                        static_cast<float>(std::cos(thetaI))};
  Scene scene;
  for (const float sigma : options.roughness)
    scene.spheres.push_back(
        preview::Sphere{preview::Vec3{0.0f, 0.0f, 0.0f}, 1.0f,
                        preview::Material{sigma, {1.0f, 1.0f, 1.0f}, 1.0f, 0.0f}});
  scene.lights = {
      mrhost::directionalLight(miColor{1.0f, 1.0f, 1.0f, 1.0f}, miVector{-L.x, -L.y, -L.z})};

  Turn turn(*this);
  turn.take(nullptr);
  for (const Host host : {Host::Maya, Host::Mentalray}) {
    options.host = host;
    std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
    if (!makeBackends(options, backends, error) || !backends.front()->prepare(scene, error))
      return false;
    const std::unique_ptr<preview::ThreadShader> shader = backends.front()->forThread();
    plot.curves.resize(scene.spheres.size());
    for (size_t s = 0; s < scene.spheres.size(); ++s) {
      Curve& curve = plot.curves[s];
      curve.roughness = scene.spheres[s].material.roughness;
      std::vector<float>& values = host == Host::Maya ? curve.maya : curve.mentalray;
      values.clear();
      for (int degrees = -90; degrees <= 90; ++degrees) {
        const double thetaR = degrees * kDegree;
        const preview::Vec3 V{static_cast<float>(std::sin(thetaR)), 0.0f,
                              static_cast<float>(std::cos(thetaR))};
        preview::Hit hit;
        hit.sphere = static_cast<int>(s);
        hit.point = preview::Vec3{0.0f, 0.0f, 0.0f};
        hit.normal = N;
        hit.direction = preview::Vec3{-V.x, -V.y, -V.z};
        values.push_back(shader->shade(hit).r);
      }
    }
  }
  for (int degrees = -90; degrees <= 90; ++degrees) plot.angles.push_back(degrees);
  for (Curve& curve : plot.curves) {
    const orennayar::OrenNayar model(N, N, curve.roughness);
    curve.A = model.A();
    curve.B = model.B();
  }
  return true;
}

}  // namespace lookdev
