// What finite input must give, through both deliverables as their hosts call
// them: for unit normals, views and light directions set against each other
// in the ways rounding makes hardest, and finite parameters, every outColor
// of the Maya node and every result of the mental ray shader is finite.
#include "adversarialVectors.h"
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "hosts/mentalray/testing.h"
#include "mayahost/host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/besideExecutable.h"

using hardening::adversarialDirections;
using hardening::adversarialNormals;
using hardening::Direction;

namespace {

// Roughness through the hosts: the ordinary range and the edges of float range.
const std::vector<float> kRoughness = {0.0f, 0.5f, 1e4f, 1.9e19f,
                                       std::numeric_limits<float>::max()};

bool finite(float r, float g, float b) {
  return std::isfinite(r) && std::isfinite(g) && std::isfinite(b);
}

TEST(DeliverableSweep, MayaNodeOutColorIsFiniteForEveryUnitConfiguration) {
  std::string error;
  const auto plugin = mayahost::Plugin::load(testsupport::besideExecutable(MATTORA_PLUGIN), &error);
  ASSERT_TRUE(plugin) << error;
  const auto type = mayahost::findType("mattora");
  ASSERT_TRUE(type);
  auto a = [&](const char* name) { return type->attribute(name); };
  const auto node = mayahost::Node::create(*type);
  long evaluations = 0;
  {
    const auto block = node->newDataBlock();
    block->setVector(a("color"), 0.5f, 1.0f, 0.25f);
    block->setVector(a("ambientColor"), 0.1f, 0.1f, 0.1f);
    block->setFloat(a("translucence"), 0.3f);
    block->setElementCount(a("lightDataArray"), 1);
    block->setVector(a("lightIntensity"), 1.0f, 2.0f, 0.5f, 0);
    for (const Direction& N : adversarialNormals()) {
      const auto directions = adversarialDirections(N.v);
      for (const Direction& V : directions)
        for (const Direction& L : directions)
          for (float sigma : kRoughness) {
            // The node normalises these in place, so each evaluation sets them anew.
            block->setVector(a("normalCamera"), N.v.x, N.v.y, N.v.z);
            block->setVector(a("rayDirection"), -V.v.x, -V.v.y, -V.v.z);
            block->setVector(a("lightDirection"), L.v.x, L.v.y, L.v.z, 0);
            block->setFloat(a("roughness"), sigma);
            ASSERT_EQ(block->compute(a("outColor")), mayahost::Status::kSuccess);
            const mayahost::Float3 c = block->getVector(a("outColor"));
            ++evaluations;
            ASSERT_TRUE(finite(c.x, c.y, c.z))
                << "(" << c.x << ", " << c.y << ", " << c.z << "): N " << N.what << ", V " << V.what
                << ", L " << L.what << ", roughness " << sigma;
          }
    }
  }
  EXPECT_GT(evaluations, 50000);
}

TEST(DeliverableSweep, MentalRayShaderResultIsFiniteForEveryUnitConfiguration) {
  const std::vector<mrhost::ShaderDecl> decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  const mrhost::ShaderDecl& decl = mrhost::findDeclaration(decls, "vela_mattora");
  const mrhost::ShaderLibrary library(testsupport::besideExecutable(VELA_MATTORA_LIBRARY), decl);
  mrhost::ShadingContext context;
  long samples = 0;
  for (const Direction& N : adversarialNormals()) {
    // Every light direction, sixteen samples to a light, each sample lit alike.
    const auto directions = adversarialDirections(N.v);
    mrhost::clearScene();
    std::vector<miTag> lights;
    for (size_t first = 0; first < directions.size(); first += mrhost::kMaxScriptedSamples) {
      std::vector<mrhost::ScriptedSample> script;
      const size_t end = std::min(directions.size(), first + mrhost::kMaxScriptedSamples);
      for (size_t i = first; i < end; ++i) {
        const hardening::Vec3& L = directions[i].v;
        script.push_back({miColor{1.0f, 2.0f, 0.5f, 1.0f}, miVector{L.x, L.y, L.z}});
      }
      lights.push_back(mrhost::addScriptedLight(script));
    }
    mrhost::ShaderInstance params(decl, static_cast<int>(lights.size()));
    params.setColor("color", miColor{0.5f, 1.0f, 0.25f, 1.0f});
    params.setColor("ambientColor", miColor{0.1f, 0.1f, 0.1f, 1.0f});
    params.setLights("light", lights);
    for (const Direction& V : directions)
      for (float sigma : kRoughness) {
        params.setScalar("roughness", sigma);
        miState& state = context.prepare(
            miVector{V.v.x, V.v.y, V.v.z}, miVector{-V.v.x, -V.v.y, -V.v.z},
            miVector{0.0f, 0.0f, 0.0f}, miVector{N.v.x, N.v.y, N.v.z}, params.function());
        miColor result{0.0f, 0.0f, 0.0f, 0.0f};
        ASSERT_EQ(library.shade(&result, &state, params.parameters()), miTRUE);
        samples += static_cast<long>(directions.size());
        ASSERT_TRUE(finite(result.r, result.g, result.b))
            << "(" << result.r << ", " << result.g << ", " << result.b << "): N " << N.what
            << ", V " << V.what << ", roughness " << sigma;
      }
  }
  EXPECT_GT(samples, 50000);
}

}  // namespace
