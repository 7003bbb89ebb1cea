// Ray-casts the scene through one shading backend into a linear image.
#pragma once

#include "preview/backend.h"
#include "preview/scene.h"

#include <functional>
#include <vector>

namespace preview {

// Linear RGB, row-major from the top-left pixel, three floats a pixel.
struct LinearImage {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;

  LinearImage() = default;
  LinearImage(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0.0f) {}
  float* pixel(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const float* pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The nearest sphere along the eye ray `direction` (unit length, from the
// camera at the origin); false when the ray misses every sphere.
bool intersect(const Scene& scene, const Vec3& direction, Hit& hit);

// Position of sample `index` of `count` inside a pixel, each in [0, 1): a
// Hammersley set, so one sample sits at the pixel centre and more spread
// evenly without randomness (renders repeat bit for bit).
void samplePosition(int index, int count, float& sx, float& sy);

// Pixels of the square tiles a render is cut into.
inline constexpr int kTileSize = 32;

struct RenderSettings {
  int samplesPerPixel = 1;
  int threads = 1;
};

struct RenderStats {
  double seconds = 0.0;
  long long cameraSamples = 0;
  long long shadedSamples = 0;     // camera samples that hit a sphere
  long long nonFiniteSamples = 0;  // shaded samples with a NaN or infinite channel
  bool cancelled = false;          // stopped early: the image is incomplete
};

struct Tile;

// What one thread shaded of a render, kept apart from other threads'.
struct alignas(64) TileCounts {
  long long shaded = 0;
  long long nonFinite = 0;
};

// Renders the pixels of `tile` into `image` (the camera's size) through one
// thread's shader, adding to that thread's counts.
void renderTile(const Scene& scene, ThreadShader& shader, int samplesPerPixel, const Tile& tile,
                LinearImage& image, TileCounts& counts);

// Renders `scene` through `backend`, whose prepare() has succeeded, into
// `image` (resized to the camera's size). onProgress, if given, is called on
// the calling thread with the finished fraction while the threads run.
// cancelled, if given, is asked by the render threads (so concurrently)
// before each tile: once it says true, no further tile is begun and the stats
// say the image is incomplete (a server drops a frame nobody waits for).
RenderStats renderImage(const Scene& scene, ShadingBackend& backend, const RenderSettings& settings,
                        LinearImage& image,
                        const std::function<void(double fraction)>& onProgress = nullptr,
                        const std::function<bool()>& cancelled = nullptr);

}  // namespace preview
