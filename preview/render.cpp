#include "preview/render.h"

#include "preview/tiles.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>

namespace preview {

namespace {

float radicalInverseBase2(unsigned int bits) {
  bits = (bits << 16) | (bits >> 16);
  bits = ((bits & 0x55555555u) << 1) | ((bits & 0xAAAAAAAAu) >> 1);
  bits = ((bits & 0x33333333u) << 2) | ((bits & 0xCCCCCCCCu) >> 2);
  bits = ((bits & 0x0F0F0F0Fu) << 4) | ((bits & 0xF0F0F0F0u) >> 4);
  bits = ((bits & 0x00FF00FFu) << 8) | ((bits & 0xFF00FF00u) >> 8);
  return static_cast<float>(bits * 0x1p-32);
}

}  // namespace

bool intersect(const Scene& scene, const Vec3& direction, Hit& hit) {
  float nearest = INFINITY;
  for (size_t i = 0; i < scene.spheres.size(); ++i) {
    const Sphere& sphere = scene.spheres[i];
    // Distances measured from the point of closest approach rather than the
    // textbook quadratic: the sphere is far from the camera compared with its
    // radius, and the quadratic would cancel most of its digits.
    const float along = orennayar::dot(sphere.center, direction);
    const Vec3 closest{direction.x * along - sphere.center.x, direction.y * along - sphere.center.y,
                       direction.z * along - sphere.center.z};
    const float halfChord2 = sphere.radius * sphere.radius - orennayar::dot(closest, closest);
    if (!(halfChord2 >= 0.0f)) continue;
    const float t = along - std::sqrt(halfChord2);
    if (!(t > 0.0f) || !(t < nearest)) continue;
    nearest = t;
    hit.sphere = static_cast<int>(i);
    hit.point = Vec3{direction.x * t, direction.y * t, direction.z * t};
    hit.direction = direction;
  }
  if (nearest == INFINITY) return false;
  const Sphere& sphere = scene.spheres[static_cast<size_t>(hit.sphere)];
  Vec3 n{hit.point.x - sphere.center.x, hit.point.y - sphere.center.y,
         hit.point.z - sphere.center.z};
  const float length = std::sqrt(orennayar::dot(n, n));
  hit.normal = Vec3{n.x / length, n.y / length, n.z / length};
  return true;
}

void samplePosition(int index, int count, float& sx, float& sy) {
  sx = (static_cast<float>(index) + 0.5f) / static_cast<float>(count);
  sy = radicalInverseBase2(static_cast<unsigned int>(index)) + 0.5f / static_cast<float>(count);
  if (sy >= 1.0f) sy -= 1.0f;
}

void renderTile(const Scene& scene, ThreadShader& shader, int spp, const Tile& tile,
                LinearImage& image, TileCounts& count) {
  const Camera& camera = scene.camera;
  const float weight = 1.0f / static_cast<float>(spp);
  for (int y = tile.y0; y < tile.y1; ++y) {
    for (int x = tile.x0; x < tile.x1; ++x) {
      float sum[3] = {0.0f, 0.0f, 0.0f};
      for (int s = 0; s < spp; ++s) {
        float sx, sy;
        samplePosition(s, spp, sx, sy);
        const Vec3 direction =
            camera.rayDirection(static_cast<float>(x) + sx, static_cast<float>(y) + sy);
        Hit hit;
        Rgb c = scene.background;
        if (intersect(scene, direction, hit)) {
          c = shader.shade(hit);
          ++count.shaded;
          if (!std::isfinite(c.r) || !std::isfinite(c.g) || !std::isfinite(c.b)) ++count.nonFinite;
        }
        sum[0] += c.r;
        sum[1] += c.g;
        sum[2] += c.b;
      }
      float* out = image.pixel(x, y);
      out[0] = sum[0] * weight;
      out[1] = sum[1] * weight;
      out[2] = sum[2] * weight;
    }
  }
}

RenderStats renderImage(const Scene& scene, ShadingBackend& backend, const RenderSettings& settings,
                        LinearImage& image, const std::function<void(double fraction)>& onProgress,
                        const std::function<bool()>& cancelled) {
  const Camera& camera = scene.camera;
  image = LinearImage(camera.width, camera.height);
  const int spp = settings.samplesPerPixel;
  const int threads = settings.threads;

  std::vector<std::unique_ptr<ThreadShader>> shaders;
  for (int t = 0; t < threads; ++t) shaders.push_back(backend.forThread());
  std::vector<TileCounts> counts(static_cast<size_t>(threads));

  TileScheduler scheduler(camera.width, camera.height, kTileSize);
  std::atomic<int> tilesDone{0};
  std::atomic<bool> stopped{false};
  const auto start = std::chrono::steady_clock::now();
  runTiles(
      scheduler, threads,
      [&](int threadIndex, const Tile& tile) {
        // Once one thread sees the render cancelled, the others skip their
        // remaining tiles without asking again.
        if (stopped.load(std::memory_order_relaxed)) return;
        if (cancelled && cancelled()) {
          stopped.store(true, std::memory_order_relaxed);
          return;
        }
        renderTile(scene, *shaders[static_cast<size_t>(threadIndex)], spp, tile, image,
                   counts[static_cast<size_t>(threadIndex)]);
        tilesDone.fetch_add(1, std::memory_order_relaxed);
      },
      onProgress ? std::function<void()>([&] {
        onProgress(static_cast<double>(tilesDone.load(std::memory_order_relaxed)) /
                   scheduler.tileCount());
      })
                 : std::function<void()>());
  const auto stop = std::chrono::steady_clock::now();

  RenderStats stats;
  stats.cancelled = stopped.load();
  stats.seconds = std::chrono::duration<double>(stop - start).count();
  stats.cameraSamples = static_cast<long long>(camera.width) * camera.height * spp;
  for (const TileCounts& count : counts) {
    stats.shadedSamples += count.shaded;
    stats.nonFiniteSamples += count.nonFinite;
  }
  return stats;
}

}  // namespace preview
