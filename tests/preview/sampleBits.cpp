// Shades a small fixed picture through a given mattora plug-in and a given
// vela_mattora library, loaded by the stand-in hosts, and prints every value
// as its float bits: two builds of the deliverables shade alike exactly when
// their outputs are the same text.
//
//   sample-bits MATTORA_PLUGIN VELA_MATTORA_LIBRARY
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "preview/hosts.h"
#include "preview/render.h"
#include "preview/scene.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: sample-bits MATTORA_PLUGIN VELA_MATTORA_LIBRARY\n", stderr);
    return 2;
  }
  preview::Options options;
  options.mayaPlugin = argv[1];
  options.mentalrayLibrary = argv[2];
  options.translucence = 0.25f;  // Maya only
  options.irradiance = true;     // mental ray only
  std::vector<std::unique_ptr<preview::ShadingBackend>> backends;
  std::string error;
  if (!preview::makeBackends(options, backends, error)) {
    std::fprintf(stderr, "sample-bits: %s\n", error.c_str());
    return 1;
  }
  const preview::Scene scene =
      preview::makeScene(16, 4, options.roughness, options.color, options.diffuse,
                         options.translucence, preview::LightPreset::Area);
  for (const auto& backend : backends) {
    if (!backend->prepare(scene, error)) {
      std::fprintf(stderr, "sample-bits: %s: %s\n", backend->name(), error.c_str());
      return 1;
    }
    preview::LinearImage image;
    preview::renderImage(scene, *backend, preview::RenderSettings{1, 1}, image);
    std::printf("%s", backend->name());
    for (const float value : image.rgb) {
      std::uint32_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      std::printf(" %08x", static_cast<unsigned>(bits));
    }
    std::printf("\n");
  }
  return 0;
}
