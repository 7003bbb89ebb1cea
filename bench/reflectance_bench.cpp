// Cost of one reflectance factor against two controls over the same inputs:
// a plain Lambert cosine, and a trig-free evaluation of the same model (sines
// and tangents from square roots) that shows what the arc cosines cost.
#include "core/orenNayar.h"
#include "ratioReporter.h"

#include <cmath>
#include <random>
#include <vector>

namespace {

using orennayar::Vec3;

struct Sample {
  Vec3 N, V, L;
  float sigma;
};

constexpr std::size_t kSamples = 4096;  // a power of two, so the index wraps with a mask

const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = [] {
    std::mt19937 rng(1);
    std::normal_distribution<float> g;
    std::uniform_real_distribution<float> s(0.0f, 1.0f);
    auto unit = [&] {
      Vec3 v{g(rng), g(rng), g(rng)};
      const float len = std::sqrt(orennayar::dot(v, v));
      return Vec3{v.x / len, v.y / len, v.z / len};
    };
    std::vector<Sample> out;
    while (out.size() < kSamples) {
      Sample x{unit(), unit(), unit(), s(rng)};
      // Shading samples see the surface from the front with the light above it.
      if (orennayar::dot(x.N, x.V) > 0 && orennayar::dot(x.N, x.L) > 0) out.push_back(x);
    }
    return out;
  }();
  return all;
}

float lambert(const Vec3& N, const Vec3& L) {
  const float cosThetaI = orennayar::dot(N, L);
  return cosThetaI > 0.0f ? cosThetaI : 0.0f;
}

// The usual renderer formulation: no arc cosines, sin and tan of the larger and
// smaller angle from their cosines. Not bit-identical to the defined term.
float trigFree(const Vec3& N, const Vec3& V, const Vec3& L, float sigma) {
  const float cosThetaI = orennayar::dot(N, L);
  if (!(cosThetaI > 0.0f)) return 0.0f;
  const float sigma2 = sigma * sigma;
  const float A = 1.0f - 0.5f * sigma2 / (sigma2 + 0.33f);
  const float B = 0.45f * sigma2 / (sigma2 + 0.09f);
  const float cosThetaR = orennayar::dot(N, V);
  const Vec3 v{V.x - N.x * cosThetaR, V.y - N.y * cosThetaR, V.z - N.z * cosThetaR};
  const Vec3 l{L.x - N.x * cosThetaI, L.y - N.y * cosThetaI, L.z - N.z * cosThetaI};
  const float lengths = std::sqrt(orennayar::dot(v, v) * orennayar::dot(l, l));
  const float cosPhi = lengths > 0.0f ? std::fmax(0.0f, orennayar::dot(v, l) / lengths) : 0.0f;
  const float sinThetaI = std::sqrt(std::fmax(0.0f, 1.0f - cosThetaI * cosThetaI));
  const float sinThetaR = std::sqrt(std::fmax(0.0f, 1.0f - cosThetaR * cosThetaR));
  float sinAlpha, tanBeta;
  if (cosThetaI > cosThetaR) {
    sinAlpha = sinThetaR;
    tanBeta = sinThetaI / cosThetaI;
  } else {
    sinAlpha = sinThetaI;
    tanBeta = sinThetaR / std::fabs(cosThetaR);
  }
  return (A + B * cosPhi * sinAlpha * tanBeta) * cosThetaI;
}

void BM_Factor(benchmark::State& state) {
  const auto& in = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& x = in[i++ & (kSamples - 1)];
    benchmark::DoNotOptimize(orennayar::reflectanceFactor(x.N, x.V, x.L, x.sigma));
  }
}

void BM_LambertControl(benchmark::State& state) {
  const auto& in = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& x = in[i++ & (kSamples - 1)];
    benchmark::DoNotOptimize(lambert(x.N, x.L));
  }
}

void BM_TrigFreeControl(benchmark::State& state) {
  const auto& in = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& x = in[i++ & (kSamples - 1)];
    benchmark::DoNotOptimize(trigFree(x.N, x.V, x.L, x.sigma));
  }
}

// Four lights at one shading point: the view-dependent half is computed once.
void BM_FactorFourLightsSharedView(benchmark::State& state) {
  const auto& in = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& x = in[i++ & (kSamples - 1)];
    orennayar::OrenNayar lobe(x.N, x.V, x.sigma);
    float sum = 0.0f;
    for (std::size_t k = 0; k < 4; ++k) sum += lobe.factor(in[(i + k) & (kSamples - 1)].L);
    benchmark::DoNotOptimize(sum);
  }
}

void BM_FactorFourLights(benchmark::State& state) {
  const auto& in = samples();
  std::size_t i = 0;
  for (auto _ : state) {
    const Sample& x = in[i++ & (kSamples - 1)];
    float sum = 0.0f;
    for (std::size_t k = 0; k < 4; ++k)
      sum += orennayar::reflectanceFactor(x.N, x.V, in[(i + k) & (kSamples - 1)].L, x.sigma);
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(BM_Factor);
BENCHMARK(BM_LambertControl);
BENCHMARK(BM_TrigFreeControl);
BENCHMARK(BM_FactorFourLights);
BENCHMARK(BM_FactorFourLightsSharedView);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"BM_Factor", "BM_LambertControl"},
                               {"BM_Factor", "BM_TrigFreeControl"},
                               {"BM_FactorFourLightsSharedView", "BM_FactorFourLights"}});
}
