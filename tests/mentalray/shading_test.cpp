// One shading sample at a time through the loader and the built library.
// Expected values are worked by hand: with roughness 0 the term is the
// Lambert cosine, and with the view along the normal it is A times it.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "shadingFixture.h"

namespace {

using mrhost::RendererCall;
using mrhost::ScriptedSample;
using mrtest::expectColor;
using mrtest::kILight;
using mrtest::kNLight;

const miColor kWhite{1.0f, 1.0f, 1.0f, 1.0f};
// Unit directions with exact cosines to the normal (0, 0, 1).
const miVector kCos08{0.0f, 0.6f, 0.8f};
const miVector kCos06{0.8f, 0.0f, 0.6f};
const miVector kCos10{0.0f, 0.0f, 1.0f};
const miVector kBehind{0.0f, 0.0f, -1.0f};

class Shading : public mrtest::ShadingTest {
 protected:
  void SetUp() override {
    ShadingTest::SetUp();
    params().setColor("color", miColor{0.5f, 0.25f, 1.0f, 1.0f});
    params().setScalar("roughness", 0.0f);
    params().setScalar("diffuse", 0.8f);
  }
};

TEST_F(Shading, NoLightsGiveAmbientIncandescenceAndOpaqueAlpha) {
  params().setColor("ambientColor", miColor{0.2f, 0.4f, 0.6f, 9.0f});
  params().setColor("incandescence", miColor{0.01f, 0.02f, 0.03f, 9.0f});
  const miTag light = mrhost::addScriptedLight({{kWhite, kCos10}});
  for (const int nLight : {0, -3}) {
    params().setLights("light", {light});
    setField(kNLight, nLight);
    prepare();
    mrhost::startCallLog();
    const miColor result = shade(miColor{1.0f, 2.0f, 3.0f, 0.25f});
    EXPECT_TRUE(callsOf(RendererCall::SampleLight).empty()) << nLight;
    // result on entry + ambient x colour + incandescence
    expectColor(result, 1.0 + 0.1 + 0.01, 2.0 + 0.1 + 0.02, 3.0 + 0.6 + 0.03,
                nLight == 0 ? "n_light 0" : "n_light -3");
    EXPECT_EQ(result.a, 1.0f);
  }
}

TEST_F(Shading, LightSamplesAverageWithinALightAndAddAcrossLights) {
  struct Case {
    const char* what;
    std::vector<std::vector<ScriptedSample>> lights;
    double r, g, b;  // diffuse 0.8 x mean cosine x light colour x surface (0.5, 0.25, 1)
  };
  const miColor red2{2.0f, 0.0f, 1.0f, 1.0f};
  const Case cases[] = {
      {"two lights of one sample each add exactly",
       {{{kWhite, kCos08}}, {{red2, kCos06}}},
       0.8 * 0.8 * 0.5 + 0.8 * 0.6 * 2.0 * 0.5,
       0.8 * 0.8 * 0.25,
       0.8 * 0.8 + 0.8 * 0.6},
      {"four samples are summed and divided by four",
       {{{kWhite, kCos10}, {kWhite, kCos08}, {kWhite, kCos06}, {red2, kCos06}}},
       0.8 * (1.0 + 0.8 + 0.6 + 1.2) / 4 * 0.5,
       0.8 * (1.0 + 0.8 + 0.6) / 4 * 0.25,
       0.8 * (1.0 + 0.8 + 0.6 + 0.6) / 4},
      {"a counted sample behind the normal lowers the average",
       {{{kWhite, kCos08}, {kWhite, kBehind}}},
       0.8 * 0.4 * 0.5,
       0.8 * 0.4 * 0.25,
       0.8 * 0.4},
      {"a light without samples adds nothing and the next starts afresh",
       {{}, {{kWhite, kCos06}}},
       0.8 * 0.6 * 0.5,
       0.8 * 0.6 * 0.25,
       0.8 * 0.6},
  };
  for (const Case& c : cases) {
    mrhost::clearScene();
    std::vector<miTag> tags;
    for (const auto& samples : c.lights) tags.push_back(mrhost::addScriptedLight(samples));
    params().setLights("light", tags);
    prepare();
    mrhost::startCallLog();
    expectColor(shade(), c.r, c.g, c.b, c.what);
    // Every light starts from a zero counter and is asked until it says no.
    std::size_t expectedCalls = 0;
    for (const auto& samples : c.lights) expectedCalls += samples.size() + 1;
    const auto calls = callsOf(RendererCall::SampleLight);
    ASSERT_EQ(calls.size(), expectedCalls) << c.what;
    std::size_t call = 0;
    for (std::size_t light = 0; light < c.lights.size(); ++light)
      for (std::size_t k = 0; k <= c.lights[light].size(); ++k, ++call) {
        EXPECT_EQ(calls[call].light, tags[light]) << c.what;
        EXPECT_EQ(calls[call].counter, static_cast<miInteger>(k)) << c.what;
      }
  }
}

TEST_F(Shading, LightListStartsIndexSlotsAfterTheArrayField) {
  const miTag dark = mrhost::addScriptedLight({{miColor{0.0f, 0.0f, 0.0f, 0.0f}, kCos10}});
  const miTag lit = mrhost::addScriptedLight({{kWhite, kCos08}});
  params().setLights("light", {lit}, 3);
  prepare();
  expectColor(shade(), 0.8 * 0.8 * 0.5, 0.8 * 0.8 * 0.25, 0.8 * 0.8, "i_light 3");
  (void)dark;
}

TEST_F(Shading, PerturbedNormal) {
  struct Case {
    const char* what;
    miVector normal, offset;
    miVector expectedNormal;
    double cosine;  // of the light (0, 0.6, 0.8) to N'
  };
  const Case cases[] = {
      {"zero offset renormalises the state normal",
       {0.0f, 0.0f, 2.0f},
       {0.0f, 0.0f, 0.0f},
       {0.0f, 0.0f, 1.0f},
       0.8},
      {"an offset bends the normal toward the light",
       {0.0f, 0.0f, 1.0f},
       {0.0f, 0.75f, 0.0f},
       {0.0f, 0.6f, 0.8f},
       1.0},
      {"an offset that cancels the normal leaves zero",
       {0.0f, 0.0f, 1.0f},
       {0.0f, 0.0f, -1.0f},
       {0.0f, 0.0f, 0.0f},
       0.0},
  };
  for (const Case& c : cases) {
    mrhost::clearScene();
    params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos08}})});
    params().setVector("normalOffset", c.offset);
    prepare(c.normal);
    mrhost::startCallLog();
    expectColor(shade(), 0.8 * c.cosine * 0.5, 0.8 * c.cosine * 0.25, 0.8 * c.cosine, c.what);
    const auto calls = callsOf(RendererCall::SampleLight);
    ASSERT_FALSE(calls.empty());
    EXPECT_NEAR(calls[0].state.normal.x, c.expectedNormal.x, 1e-7) << c.what;
    EXPECT_NEAR(calls[0].state.normal.y, c.expectedNormal.y, 1e-7) << c.what;
    EXPECT_NEAR(calls[0].state.normal.z, c.expectedNormal.z, 1e-7) << c.what;
  }
}

TEST_F(Shading, IrradianceSwitchAndTint) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    bool on;
    miColor tint;
    bool called;
  };
  const Case cases[] = {
      {"switched off", false, {1.0f, 1.0f, 1.0f, 1.0f}, false},
      {"black tint, alpha ignored", true, {0.0f, 0.0f, 0.0f, 1.0f}, false},
      {"negative zero counts as zero", true, {-0.0f, 0.0f, -0.0f, 0.0f}, false},
      {"any non-zero component", true, {0.0f, 0.0f, 0.001f, 0.0f}, true},
      {"a tint on every channel", true, {1.0f, 0.001f, 0.3f, 0.0f}, true},
      {"a NaN is not zero", true, {nan, 0.0f, 0.0f, 0.0f}, true},
  };
  // A uniform sky: the renderer's irradiance is pi x radiance.
  const miColor sky{0.3f, 1.5f, 0.5f, 1.0f};
  mrhost::setEnvironment({sky, {0.0f, 0.0f, 0.0f, 0.0f}, {0, 0, 1}}, true);
  // The term bit for bit in single-precision steps, pi the float 3.1415927:
  // for these values a double pi, or 3.14159f, rounds to another float.
  const auto term = [](float radiance, float colour, float tint) {
    const float pi = 3.1415927f;
    const float irradiance = pi * radiance;
    const float tinted = irradiance * colour * tint;
    return tinted / pi;
  };
  const auto bits = [](float value) {
    std::ostringstream text;
    text << std::hexfloat << value;
    return text.str();
  };
  for (const Case& c : cases) {
    params().setBoolean("irradiance", c.on);
    params().setColor("irradianceColor", c.tint);
    prepare();
    mrhost::startCallLog();
    const miColor result = shade();
    EXPECT_EQ(callsOf(RendererCall::ComputeIrradiance).size(), c.called ? 1u : 0u) << c.what;
    if (!c.called) expectColor(result, 0.0, 0.0, 0.0, c.what);
    if (std::isnan(c.tint.r)) {
      EXPECT_TRUE(std::isnan(result.r)) << c.what;
    } else if (c.called) {
      EXPECT_EQ(bits(result.r), bits(term(sky.r, 0.5f, c.tint.r))) << c.what;
      EXPECT_EQ(bits(result.g), bits(term(sky.g, 0.25f, c.tint.g))) << c.what;
      EXPECT_EQ(bits(result.b), bits(term(sky.b, 1.0f, c.tint.b))) << c.what;
    }
    EXPECT_EQ(result.a, 1.0f) << c.what;
  }
}

TEST_F(Shading, IrradianceOfTheSkyGradientFollowsTheNormal) {
  // Radiance (w . up) alone: irradiance 2 pi / 3 (n . up).
  mrhost::setEnvironment({{0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 0.0f}, {0, 0, 1}}, true);
  params().setBoolean("irradiance", true);
  params().setColor("irradianceColor", miColor{1.0f, 2.0f, 4.0f, 0.0f});
  params().setVector("normalOffset", miVector{0.0f, 0.75f, 0.0f});  // N' = (0, 0.6, 0.8)
  prepare();
  const double e = 2.0 / 3.0 * 0.8;
  expectColor(shade(), e * 0.5 * 1.0, e * 0.25 * 2.0, e * 1.0 * 4.0, "gradient sky");
}

TEST_F(Shading, DiffuseZeroStillCountsSamples) {
  params().setScalar("diffuse", 0.0f);
  params().setColor("ambientColor", kWhite);
  params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos10}, {kWhite, kCos08}})});
  prepare();
  mrhost::startCallLog();
  expectColor(shade(), 0.5, 0.25, 1.0, "only ambient remains");
  EXPECT_EQ(callsOf(RendererCall::SampleLight).size(), 3u);
}

TEST_F(Shading, RoughnessHalfSeenAlongTheNormalScalesByA) {
  params().setScalar("roughness", 0.5f);
  params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos08}})});
  prepare();
  const double A = 1.0 - 0.5 * 0.25 / (0.25 + double(0.33f));
  expectColor(shade(), 0.8 * A * 0.8 * 0.5, 0.8 * A * 0.8 * 0.25, 0.8 * A * 0.8, "A x cos");
}

TEST_F(Shading, ContributionsAddOntoTheResultOnEntry) {
  params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos10}})});
  params().setColor("incandescence", miColor{0.5f, 0.5f, 0.5f, 0.0f});
  prepare();
  const miColor result = shade(miColor{-1.0f, 10.0f, 0.25f, 0.0f});
  expectColor(result, -1.0 + 0.4 + 0.5, 10.0 + 0.2 + 0.5, 0.25 + 0.8 + 0.5, "added, not set");
  EXPECT_EQ(result.a, 1.0f);
}

TEST_F(Shading, RendererFunctionsSeeACopyWithNPrimeAndPhenEvalTheOwnState) {
  params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos08}})});
  params().setVector("normalOffset", miVector{0.0f, 0.75f, 0.0f});
  params().setBoolean("irradiance", true);
  params().setColor("irradianceColor", kWhite);
  params().drive("diffuse", mrhost::addConstantShader(&kCos08.y, sizeof(float)));
  mrhost::setEnvironment({{1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}, {0, 0, 1}}, true);
  mrhost::scribbleOnStates(true);
  miState& own = prepare(miVector{0.0f, 0.0f, 1.0f}, miVector{1.0f, 2.0f, 3.0f});
  own.raster_x = 17.0f;
  own.label = 99;
  const miState before = own;

  mrhost::startCallLog();
  shade();
  mrhost::stopCallLog();
  EXPECT_EQ(std::memcmp(&own, &before, sizeof own), 0) << "the renderer's state is untouched";

  miState expectedCopy = before;
  expectedCopy.normal = miVector{0.0f, 0.6f, 0.8f};
  const auto samples = callsOf(RendererCall::SampleLight);
  const auto irradiance = callsOf(RendererCall::ComputeIrradiance);
  ASSERT_EQ(samples.size(), 2u);
  ASSERT_EQ(irradiance.size(), 1u);
  EXPECT_NE(samples[0].statePointer, &own);
  EXPECT_EQ(samples[0].statePointer, irradiance[0].statePointer) << "one copy per call";
  EXPECT_EQ(std::memcmp(&samples[0].state, &expectedCopy, sizeof expectedCopy), 0)
      << "a full copy whose normal is N'";

  const auto evaluations = callsOf(RendererCall::PhenEval);
  ASSERT_EQ(evaluations.size(), 1u);
  EXPECT_EQ(evaluations[0].statePointer, &own);
  EXPECT_EQ(std::memcmp(&evaluations[0].state, &before, sizeof before), 0);
}

// A renderer compiled against the published header knows the state and the
// shader record only by their offsets on its target; filled byte by byte at
// those offsets, they must give the library dir, normal, shader and, through
// ghost_offs, a driven parameter. The view and the light share angle and
// azimuth, so the result depends on dir: (A + B sin t tan t) cos t.
#if defined(__ELF__) && (defined(__x86_64__) || defined(__i386__))
TEST_F(Shading, ReadsStateAndRecordAtTheirPublishedOffsets) {
#if defined(__x86_64__)
  constexpr std::size_t kStateSize = 352, kTs = 40, kDir = 108, kNormal = 208, kShader = 312;
#elif defined(__i386__)
  constexpr std::size_t kStateSize = 272, kTs = 28, kDir = 80, kNormal = 176, kShader = 252;
#endif
  constexpr std::size_t kParameterSize = 88, kGhostOffs = 96, kBlock = 120, kGhost = 104;
  const auto put = [](void* record, std::size_t offset, const auto& value) {
    std::memcpy(static_cast<char*>(record) + offset, &value, sizeof value);
  };
  struct alignas(8) Record {
    unsigned char bytes[kBlock + 2 * kGhost];
  } record{};
  unsigned char* block = record.bytes + kBlock;
  put(record.bytes, kParameterSize, static_cast<int>(kGhost));
  put(record.bytes, kGhostOffs, static_cast<int>(kGhost));
  put(block, 0, miColor{0.5f, 0.25f, 1.0f, 1.0f});
  put(block, 60, 9.0f);  // diffuse, driven: the stored value must not be used
  put(block, 60 + kGhost, mrhost::addConstantShader(&kCos06.x, sizeof(float)));
  put(block, 64, 0.5f);  // roughness
  put(block, kNLight, 1);
  put(block, 96, mrhost::addScriptedLight({{kWhite, miVector{0.6f, 0.0f, 0.8f}}}));

  miTs thread{};
  struct alignas(8) State {
    unsigned char bytes[kStateSize];
  } state{};
  put(state.bytes, kTs, &thread);
  put(state.bytes, kDir, miVector{-0.6f, 0.0f, -0.8f});
  put(state.bytes, kNormal, miVector{0.0f, 0.0f, 1.0f});
  put(state.bytes, kShader, static_cast<const void*>(record.bytes));
  const State before = state;

  miColor result{0.0f, 0.0f, 0.0f, 0.0f};
  EXPECT_EQ(library().shade(&result, reinterpret_cast<miState*>(state.bytes), block), miTRUE);
  const double s = double(0.25f);
  const double A = 1.0 - 0.5 * s / (s + double(0.33f)), B = 0.45 * s / (s + double(0.09f));
  const double weight = 0.8 * (A + B * 0.6 * 0.75) * 0.8;  // diffuse 0.8 x factor
  expectColor(result, weight * 0.5, weight * 0.25, weight, "driven diffuse, oblique view");
  EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0);
}
#endif

TEST_F(Shading, GhostOffsetZeroNeverEvaluatesThroughTheRenderer) {
  const float two = 2.0f;
  params().setColor("ambientColor", kWhite);
  params().drive("ambientColor", mrhost::addConstantShader(&kWhite, sizeof kWhite));
  params().drive("diffuse", mrhost::addConstantShader(&two, sizeof two));
  params().function()->ghost_offs = 0;  // tags stay in the ghost area
  params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos10}})});
  prepare();
  mrhost::startCallLog();
  expectColor(shade(), 0.8 * 0.5 + 0.5, 0.8 * 0.25 + 0.25, 0.8 + 1.0, "stored values");
  EXPECT_TRUE(callsOf(RendererCall::PhenEval).empty());
}

TEST_F(Shading, DrivenParametersTakeTheirValuesFromTheirShaders) {
  const miColor green{0.0f, 1.0f, 0.0f, 1.0f};
  const miColor half{0.5f, 0.5f, 0.5f, 1.0f};
  const float quarter = 0.25f;
  params().drive("color", mrhost::addConstantShader(&green, sizeof green));
  params().drive("ambientColor", mrhost::addConstantShader(&half, sizeof half));
  params().drive("diffuse", mrhost::addConstantShader(&quarter, sizeof quarter));
  params().drive("incandescence", 0);  // ghost offset set, this tag 0: stored value
  params().setColor("incandescence", miColor{0.125f, 0.0f, 0.0f, 0.0f});
  params().setLights("light", {mrhost::addScriptedLight({{kWhite, kCos10}})});
  prepare();
  mrhost::startCallLog();
  // green x 0.25 from the light, + half x green ambient, + stored incandescence
  expectColor(shade(), 0.125, 0.25 + 0.5, 0.0, "driven values");
  EXPECT_EQ(callsOf(RendererCall::PhenEval).size(), 3u);
}

TEST_F(Shading, DrivenParametersReachPhenEvalInDeclarationEvaluationOrder) {
  const miColor black{0.0f, 0.0f, 0.0f, 0.0f};
  const miVector zero{0.0f, 0.0f, 0.0f};
  const float one = 1.0f;
  const int on = 1, none = 0;
  const miTag tag = 0;
  params().drive("color", mrhost::addConstantShader(&black, sizeof black));
  params().drive("ambientColor", mrhost::addConstantShader(&black, sizeof black));
  params().drive("incandescence", mrhost::addConstantShader(&black, sizeof black));
  params().drive("normalOffset", mrhost::addConstantShader(&zero, sizeof zero));
  params().drive("diffuse", mrhost::addConstantShader(&one, sizeof one));
  params().drive("roughness", mrhost::addConstantShader(&one, sizeof one));
  params().drive("irradiance", mrhost::addConstantShader(&on, sizeof on));
  params().drive("irradianceColor", mrhost::addConstantShader(&black, sizeof black));
  params().driveField(kILight, mrhost::addConstantShader(&none, sizeof none));
  params().driveField(kNLight, mrhost::addConstantShader(&none, sizeof none));
  params().drive("light", mrhost::addConstantShader(&tag, sizeof tag));
  prepare();
  mrhost::startCallLog();
  shade();
  std::vector<std::intptr_t> offsets;
  for (const auto& call : callsOf(RendererCall::PhenEval))
    offsets.push_back(static_cast<const char*>(call.param) -
                      static_cast<const char*>(params().parameters()));
  // color, ambientColor, incandescence, roughness, normalOffset, irradiance,
  // diffuse, n_light, i_light, light, then irradianceColor
  EXPECT_EQ(offsets, (std::vector<std::intptr_t>{0, 16, 32, 64, 48, 68, 60, 92, 88, 96, 72}));
  EXPECT_TRUE(callsOf(RendererCall::ComputeIrradiance).empty()) << "black tint";
}

TEST_F(Shading, CheckerDrivesTheColourByPosition) {
  params().drive("color", mrhost::addChecker(miColor{1.0f, 0.0f, 0.0f, 1.0f},
                                             miColor{0.0f, 0.0f, 1.0f, 1.0f}, 1.0f));
  params().setColor("ambientColor", kWhite);
  struct Case {
    const char* what;
    miVector point;
    double r, b;
  };
  const Case cases[] = {{"even cell", {0.5f, 0.5f, 0.5f}, 1.0, 0.0},
                        {"odd cell", {1.5f, 0.5f, 0.5f}, 0.0, 1.0},
                        {"odd across zero", {-0.5f, 0.5f, 0.5f}, 0.0, 1.0},
                        {"even again", {1.5f, -0.5f, 0.5f}, 1.0, 0.0}};
  for (const Case& c : cases) {
    prepare(miVector{0.0f, 0.0f, 1.0f}, c.point);
    expectColor(shade(), c.r, 0.0, c.b, c.what);
  }
}

}  // namespace
