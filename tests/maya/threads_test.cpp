#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "mayahost/host.h"
#include "pluginFixture.h"

namespace {

using Threads = mattoratest::LoadedPlugin;

struct Sample {
  float normal[3], ray[3], light[3];
};

std::vector<Sample> samples(int count) {
  std::vector<Sample> out;
  for (int i = 0; i < count; ++i) {
    const float t = 0.37f * float(i);
    out.push_back({{std::sin(t), std::cos(t), 2.0f},
                   {0.3f * std::cos(2 * t), -0.5f, -1.0f},
                   {std::cos(3 * t), 0.5f, std::sin(t) + 0.2f}});
  }
  return out;
}

// What one thread computes for the samples with a block of its own.
std::vector<mayahost::Float3> shadeAll(const mayahost::Node& node, const mayahost::NodeType& type,
                                       const std::vector<Sample>& all) {
  auto block = node.newDataBlock();
  const auto normal = type.attribute("normalCamera"), ray = type.attribute("rayDirection");
  const auto lights = type.attribute("lightDataArray"), dir = type.attribute("lightDirection");
  const auto intensity = type.attribute("lightIntensity"), out = type.attribute("outColor");
  block->setFloat(type.attribute("translucence"), 0.3f);
  block->setElementCount(lights, 2);
  block->setVector(intensity, 0.9f, 0.8f, 0.7f, 0);
  block->setVector(intensity, 0.2f, 0.3f, 0.4f, 1);
  block->setVector(dir, 0.0f, 0.0f, 1.0f, 1);
  std::vector<mayahost::Float3> results;
  results.reserve(all.size());
  for (const Sample& s : all) {
    block->setVector(normal, s.normal[0], s.normal[1], s.normal[2]);
    block->setVector(ray, s.ray[0], s.ray[1], s.ray[2]);
    block->setVector(dir, s.light[0], s.light[1], s.light[2], 0);
    block->request(out);
    results.push_back(block->getVector(out));
  }
  return results;
}

TEST_F(Threads, TwoThreadsWithTheirOwnBlocksMatchOneThread) {
  newBlock();
  const auto all = samples(2000);
  const auto alone = shadeAll(*node, *type, all);
  std::vector<mayahost::Float3> first, second;
  std::thread a([&] { first = shadeAll(*node, *type, all); });
  std::thread b([&] { second = shadeAll(*node, *type, all); });
  a.join();
  b.join();
  ASSERT_EQ(first.size(), alone.size());
  ASSERT_EQ(second.size(), alone.size());
  for (std::size_t i = 0; i < alone.size(); ++i) {
    for (const auto* result : {&first[i], &second[i]}) {
      EXPECT_EQ(result->x, alone[i].x) << i;
      EXPECT_EQ(result->y, alone[i].y) << i;
      EXPECT_EQ(result->z, alone[i].z) << i;
    }
  }
}

}  // namespace
