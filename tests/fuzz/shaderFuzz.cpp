// Fuzzes the vela_mattora shader entry through the stand-in renderer: an
// arbitrary parameter block within the declared layout (any bits in every
// field, parameters optionally driven by other shaders), arbitrary state
// vectors, and lights whose mi_sample_light answers are scripted: up to 16
// samples each, in any direction, behind the surface included, and tags that
// name no light. Every call must return miTRUE with alpha 1 and leave the
// renderer's state and the parameter block untouched. The same case is then
// replayed with every float made finite and moderate, where the result must
// be finite.
#include "fuzzInput.h"
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "hosts/mentalray/testing.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "support/besideExecutable.h"

namespace {

constexpr int kCapacity = 16;  // light slots in the parameter block
constexpr int kMaxLights = 8;

const mrhost::ShaderDecl& declaration() {
  static const std::vector<mrhost::ShaderDecl> decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  return mrhost::findDeclaration(decls, "vela_mattora");
}

const mrhost::ShaderLibrary& library() {
  static const mrhost::ShaderLibrary loaded(testsupport::besideExecutable(VELA_MATTORA_LIBRARY),
                                            declaration());
  return loaded;
}

struct Field {
  const char* name;
  int floats;  // 4-byte words: 4 for a colour, 3 for a vector, 1 otherwise
  bool isFloat;
};
// The parameters before the light array, in block order.
constexpr Field kFields[] = {
    {"color", 4, true},        {"ambientColor", 4, true},    {"incandescence", 4, true},
    {"normalOffset", 3, true}, {"diffuse", 1, true},         {"roughness", 1, true},
    {"irradiance", 1, false},  {"irradianceColor", 4, true},
};
constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];

struct Light {
  std::vector<mrhost::ScriptedSample> samples;
  uint8_t kind;  // 0-5 scripted, 6 no element, 7 an element that is no light
};

// Everything one call sees, decoded once so that it can be replayed moderated.
struct Case {
  uint32_t words[kFieldCount][4];
  bool driven[kFieldCount];
  std::vector<Light> lights;
  int firstIndex;
  bool overrideCount;
  int32_t count;
  mrhost::Environment environment;
  bool irradianceOn;
  miVector org, dir, point, normal;
  miColor start;
};

float asFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
uint32_t asBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

miColor anyColor(fuzz::FuzzInput& in) {
  return miColor{in.anyFloat(), in.anyFloat(), in.anyFloat(), in.anyFloat()};
}
miVector anyVector(fuzz::FuzzInput& in) {
  return miVector{in.anyFloat(), in.anyFloat(), in.anyFloat()};
}

Case decode(fuzz::FuzzInput& in) {
  Case c{};
  const uint8_t drivenMask = in.byte();
  for (int f = 0; f < kFieldCount; ++f) {
    c.driven[f] = (drivenMask >> f) & 1u;
    for (int w = 0; w < kFields[f].floats; ++w) c.words[f][w] = in.u32();
  }
  c.org = anyVector(in);
  c.dir = anyVector(in);
  c.point = anyVector(in);
  c.normal = anyVector(in);
  c.start = anyColor(in);
  c.irradianceOn = in.flag();
  c.environment.base = anyColor(in);
  c.environment.gradient = anyColor(in);
  c.environment.up = anyVector(in);
  const int lights = in.byte() % (kMaxLights + 1);
  for (int l = 0; l < lights; ++l) {
    Light light;
    light.kind = in.byte() % 8;
    const int samples = in.byte() % (mrhost::kMaxScriptedSamples + 1);
    for (int s = 0; s < samples && in.remaining() > 0; ++s)
      light.samples.push_back({anyColor(in), anyVector(in)});
    c.lights.push_back(light);
  }
  c.firstIndex = in.byte() % (kCapacity - lights + 1);
  // n_light may also claim fewer lights than the list holds, or a negative count.
  c.overrideCount = in.flag();
  c.count = static_cast<int32_t>(in.byte() % (lights + 4)) - 3;
  return c;
}

float moderate(float v) { return std::isfinite(v) ? std::fmod(v, 1000.0f) : 1.0f; }
miColor moderate(const miColor& c) {
  return miColor{moderate(c.r), moderate(c.g), moderate(c.b), moderate(c.a)};
}
miVector moderate(const miVector& v) {
  return miVector{moderate(v.x), moderate(v.y), moderate(v.z)};
}

Case moderated(Case c) {
  for (int f = 0; f < kFieldCount; ++f)
    if (kFields[f].isFloat)
      for (int w = 0; w < kFields[f].floats; ++w)
        c.words[f][w] = asBits(moderate(asFloat(c.words[f][w])));
  for (Light& light : c.lights)
    for (mrhost::ScriptedSample& s : light.samples) s = {moderate(s.color), moderate(s.dir)};
  c.environment = {moderate(c.environment.base), moderate(c.environment.gradient),
                   moderate(c.environment.up)};
  c.org = moderate(c.org);
  c.dir = moderate(c.dir);
  c.point = moderate(c.point);
  c.normal = moderate(c.normal);
  c.start = moderate(c.start);
  return c;
}

miColor shade(const Case& c) {
  mrhost::clearScene();
  mrhost::setEnvironment(c.environment, c.irradianceOn);
  mrhost::ShaderInstance instance(declaration(), kCapacity);
  char* block = static_cast<char*>(instance.parameters());
  for (int f = 0; f < kFieldCount; ++f) {
    std::memcpy(block + instance.offsetOf(kFields[f].name), c.words[f], 4 * kFields[f].floats);
    if (c.driven[f])
      instance.drive(kFields[f].name, mrhost::addConstantShader(c.words[f], 4 * kFields[f].floats));
  }
  std::vector<miTag> tags;
  for (const Light& light : c.lights) {
    if (light.kind < 6)
      tags.push_back(mrhost::addScriptedLight(light.samples));
    else if (light.kind == 6)
      tags.push_back(light.samples.empty() ? 0 : mrhost::kMaxTags + 7);
    else
      tags.push_back(mrhost::addConstantShader(&light.kind, 1));
  }
  instance.setLights("light", tags, c.firstIndex);
  if (c.overrideCount) std::memcpy(block + instance.offsetOf("light") - 4, &c.count, 4);

  mrhost::ShadingContext context;
  miState& state = context.prepare(c.org, c.dir, c.point, c.normal, instance.function());
  const miState stateBefore = state;
  const std::vector<char> blockBefore(block, block + 2 * instance.function()->parameter_size);

  miColor result = c.start;
  const miBoolean returned = library().shade(&result, &state, block);
  FUZZ_CHECK(returned == miTRUE, "returned %d", returned);
  FUZZ_CHECK(result.a == 1.0f, "alpha %a", result.a);
  FUZZ_CHECK(std::memcmp(&stateBefore, &state, sizeof state) == 0, "the state was written");
  FUZZ_CHECK(std::memcmp(blockBefore.data(), block, blockBefore.size()) == 0,
             "the parameter block was written");
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const Case c = decode(in);
  shade(c);
  const miColor moderate = shade(moderated(c));
  FUZZ_CHECK(std::isfinite(moderate.r) && std::isfinite(moderate.g) && std::isfinite(moderate.b),
             "finite moderate case gave (%a %a %a)", moderate.r, moderate.g, moderate.b);
  return 0;
}
