// Fuzzes the mattora node's compute through the stand-in Maya host: any bits
// in every input and in every element of the light array, an element count
// that may disagree with the elements the array holds, and any plug. A plug
// the node does not compute must be refused with kUnknownParameter and change
// nothing; the transparency pass-through must copy transparency exactly; the
// colour evaluation must visit only the lights the count and the array both
// have, and leave the others as they were. The same case is then replayed
// with every float made finite and moderate, where outColor must be finite.
#include "fuzzInput.h"
#include "mayahost/host.h"
#include "mayahost/testSwitches.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/besideExecutable.h"

namespace {

using mayahost::Attribute;
using mayahost::DataBlock;
using mayahost::Float3;

constexpr int kMaxLights = 12;

struct LoadedNode {
  std::unique_ptr<mayahost::Plugin> plugin;
  std::unique_ptr<mayahost::Node> node;
  Attribute color, transparency, ambientColor, incandescence, diffuse, translucence, roughness,
      normalCamera, rayDirection, lights, lightDirection, lightIntensity, lightAmbient,
      lightDiffuse, lightSpecular, lightShadowFraction, preShadowIntensity, outColor,
      outTransparency;
  std::vector<Attribute> colorPlugs, transparencyPlugs, refusedPlugs;
};

// Loaded once for the whole run: libFuzzer keeps coverage counters of every
// library it has seen, so the plug-in must stay mapped.
const LoadedNode& node() {
  static const LoadedNode loaded = [] {
    LoadedNode n;
    std::string error;
    n.plugin = mayahost::Plugin::load(testsupport::besideExecutable(MATTORA_PLUGIN), &error);
    if (!n.plugin) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::abort();
    }
    const auto type = mayahost::findType("mattora");
    if (!type) std::abort();
    n.node = mayahost::Node::create(*type);
    if (!n.node) std::abort();
    auto a = [&](const char* name) {
      const Attribute attribute = type->attribute(name);
      if (!attribute) {
        std::fprintf(stderr, "no attribute %s\n", name);
        std::abort();
      }
      return attribute;
    };
    n.color = a("color");
    n.transparency = a("transparency");
    n.ambientColor = a("ambientColor");
    n.incandescence = a("incandescence");
    n.diffuse = a("diffuse");
    n.translucence = a("translucence");
    n.roughness = a("roughness");
    n.normalCamera = a("normalCamera");
    n.rayDirection = a("rayDirection");
    n.lights = a("lightDataArray");
    n.lightDirection = a("lightDirection");
    n.lightIntensity = a("lightIntensity");
    n.lightAmbient = a("lightAmbient");
    n.lightDiffuse = a("lightDiffuse");
    n.lightSpecular = a("lightSpecular");
    n.lightShadowFraction = a("lightShadowFraction");
    n.preShadowIntensity = a("preShadowIntensity");
    n.outColor = a("outColor");
    n.outTransparency = a("outTransparency");
    n.colorPlugs = {n.outColor, a("outColorR"), a("outColorG"), a("outColorB")};
    n.transparencyPlugs = {n.outTransparency, a("outTransparencyR"), a("outTransparencyG"),
                           a("outTransparencyB")};
    n.refusedPlugs = {n.color,          n.diffuse,   n.normalCamera,     n.lights,
                      n.lightDirection, a("colorR"), a("lightBlindData")};
    return n;
  }();
  return loaded;
}

struct LightCase {
  Float3 direction, intensity;
  bool ambient, diffuse, specular;
  float shadowFraction, preShadow;
};

struct Case {
  Float3 color, transparency, ambientColor, incandescence, normal, ray;
  float diffuse, translucence, roughness;
  std::vector<LightCase> lights;
  bool overrideCount;
  uint32_t reportedCount;
  uint8_t plug;
};

Float3 anyVector(fuzz::FuzzInput& in) {
  return Float3{in.anyFloat(), in.anyFloat(), in.anyFloat()};
}

Case decode(fuzz::FuzzInput& in) {
  Case c{};
  c.color = anyVector(in);
  c.transparency = anyVector(in);
  c.ambientColor = anyVector(in);
  c.incandescence = anyVector(in);
  c.normal = anyVector(in);
  c.ray = anyVector(in);
  c.diffuse = in.anyFloat();
  c.translucence = in.anyFloat();
  c.roughness = in.anyFloat();
  c.plug = in.byte();
  c.overrideCount = in.flag();
  // Small counts most of the time, any 32-bit count now and then.
  const uint8_t countMode = in.byte();
  c.reportedCount = countMode < 200 ? countMode % (kMaxLights + 4) : in.u32();
  const int lights = in.byte() % (kMaxLights + 1);
  for (int l = 0; l < lights && in.remaining() > 0; ++l) {
    LightCase light{};
    light.direction = anyVector(in);
    light.intensity = anyVector(in);
    const uint8_t flags = in.byte();
    light.ambient = flags & 1u;
    light.diffuse = flags & 2u;
    light.specular = flags & 4u;
    light.shadowFraction = in.anyFloat();
    light.preShadow = in.anyFloat();
    c.lights.push_back(light);
  }
  return c;
}

float moderate(float v) { return std::isfinite(v) ? std::fmod(v, 1000.0f) : 1.0f; }
Float3 moderate(const Float3& v) { return Float3{moderate(v.x), moderate(v.y), moderate(v.z)}; }

Case moderated(Case c) {
  for (Float3* v :
       {&c.color, &c.transparency, &c.ambientColor, &c.incandescence, &c.normal, &c.ray})
    *v = moderate(*v);
  for (float* f : {&c.diffuse, &c.translucence, &c.roughness}) *f = moderate(*f);
  for (LightCase& l : c.lights) {
    l.direction = moderate(l.direction);
    l.intensity = moderate(l.intensity);
  }
  return c;
}

bool same(const Float3& a, const Float3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool finite(const Float3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void set(DataBlock& block, Attribute a, const Float3& v, unsigned element = 0) {
  FUZZ_CHECK(block.setVector(a, v.x, v.y, v.z, element), "cannot set %s", a.name().c_str());
}

// Computes the case's plug and checks what compute promises; the colour.
Float3 evaluate(const Case& c) {
  const LoadedNode& n = node();
  const std::unique_ptr<DataBlock> block = n.node->newDataBlock();
  set(*block, n.color, c.color);
  set(*block, n.transparency, c.transparency);
  set(*block, n.ambientColor, c.ambientColor);
  set(*block, n.incandescence, c.incandescence);
  set(*block, n.normalCamera, c.normal);
  set(*block, n.rayDirection, c.ray);
  block->setFloat(n.diffuse, c.diffuse);
  block->setFloat(n.translucence, c.translucence);
  block->setFloat(n.roughness, c.roughness);
  const unsigned count = static_cast<unsigned>(c.lights.size());
  FUZZ_CHECK(block->setElementCount(n.lights, count), "cannot size the light array");
  for (unsigned i = 0; i < count; ++i) {
    const LightCase& l = c.lights[i];
    set(*block, n.lightDirection, l.direction, i);
    set(*block, n.lightIntensity, l.intensity, i);
    block->setBool(n.lightAmbient, l.ambient, i);
    block->setBool(n.lightDiffuse, l.diffuse, i);
    block->setBool(n.lightSpecular, l.specular, i);
    block->setFloat(n.lightShadowFraction, l.shadowFraction, i);
    block->setFloat(n.preShadowIntensity, l.preShadow, i);
  }
  if (c.overrideCount)
    mayahost::testing::setReportedElementCount(*block, n.lights, c.reportedCount);
  const unsigned reported = c.overrideCount ? c.reportedCount : count;

  const size_t plugs = n.colorPlugs.size() + n.transparencyPlugs.size() + n.refusedPlugs.size();
  const size_t pick = c.plug % plugs;
  const std::vector<unsigned char> before = block->snapshot();
  if (pick >= n.colorPlugs.size() + n.transparencyPlugs.size()) {
    const Attribute plug = n.refusedPlugs[pick - n.colorPlugs.size() - n.transparencyPlugs.size()];
    FUZZ_CHECK(block->compute(plug) == mayahost::Status::kUnknownParameter, "%s not refused",
               plug.name().c_str());
    FUZZ_CHECK(block->snapshot() == before, "refusing %s changed the block", plug.name().c_str());
    return Float3{0.0f, 0.0f, 0.0f};
  }
  if (pick >= n.colorPlugs.size()) {
    const Attribute plug = n.transparencyPlugs[pick - n.colorPlugs.size()];
    FUZZ_CHECK(block->compute(plug) == mayahost::Status::kSuccess, "%s failed",
               plug.name().c_str());
    FUZZ_CHECK(same(block->getVector(n.outTransparency), c.transparency),
               "outTransparency is not transparency");
    FUZZ_CHECK(!block->isDirty(n.outTransparency), "outTransparency left dirty");
    return Float3{0.0f, 0.0f, 0.0f};
  }

  const Attribute plug = n.colorPlugs[pick];
  FUZZ_CHECK(block->compute(plug) == mayahost::Status::kSuccess, "%s failed", plug.name().c_str());
  FUZZ_CHECK(!block->isDirty(n.outColor), "outColor left dirty");
  const unsigned visited = reported < count ? reported : count;
  for (unsigned i = visited; i < count; ++i)
    FUZZ_CHECK(same(block->getVector(n.lightDirection, i), c.lights[i].direction),
               "light %u of %u changed, but only %u were to be visited", i, count, visited);
  if (reported == 0) {
    FUZZ_CHECK(same(block->getVector(n.normalCamera), c.normal), "normal changed with no light");
    FUZZ_CHECK(same(block->getVector(n.rayDirection), c.ray), "ray changed with no light");
  }
  return block->getVector(n.outColor);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput in(data, size);
  const Case c = decode(in);
  evaluate(c);
  Case m = moderated(c);
  m.plug = 0;  // outColor
  const Float3 color = evaluate(m);
  FUZZ_CHECK(finite(color), "finite moderate case gave (%a %a %a)", color.x, color.y, color.z);
  return 0;
}
