// The mattora node's per-sample workload, as the renderer pays it: set the
// per-sample inputs (normal, eye ray, each light's direction and intensity),
// request outColor, read it back, through the stand-in host. Shared by the
// benchmark of each C++ ABI (mayaNode_bench with Google Benchmark, and
// mayaNodeWine_bench, which times the Microsoft-ABI plug-in under Wine).
//
// Both the node and its Lambert twin register the node type "mattora", so
// each measurement loads its own plug-in and unloads it when done.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/orenNayar.h"
#include "mayahost/host.h"

namespace bench {

using orennayar::Vec3;

constexpr int kMaxLights = 4;
constexpr std::size_t kSamples = 1024;  // a power of two, so the index wraps with a mask

struct Sample {
  Vec3 normal, ray;
};

// Unnormalised inputs, as a renderer may hand them: the node normalises.
inline const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = [] {
    std::vector<Sample> out;
    for (std::size_t i = 0; i < kSamples; ++i) {
      const float t = 0.013f * float(i);
      out.push_back({{std::sin(t), std::cos(t), 2.0f}, {0.3f * std::cos(2 * t), -0.5f, -1.0f}});
    }
    return out;
  }();
  return all;
}

// The first light lies above every sample's surface; the last lies below it.
const Vec3 kLightDirections[kMaxLights] = {
    {1, 1, 2}, {-2, 0.5f, 1}, {0.3f, -1, 0.8f}, {0.5f, 0.2f, -1}};
const float kIntensity[3] = {0.9f, 0.8f, 0.7f};
const float kColor[3] = {0.5f, 0.5f, 0.5f};

inline Vec3 unit(Vec3 v) {
  const float len = std::sqrt(orennayar::dot(v, v));
  return len > 0 ? Vec3{v.x / len, v.y / len, v.z / len} : v;
}

// One node of a loaded plug-in with one data block, its handles resolved.
struct LoadedNode {
  std::unique_ptr<mayahost::Plugin> plugin;
  std::unique_ptr<mayahost::Node> node;
  std::unique_ptr<mayahost::DataBlock> block;
  mayahost::Attribute normal, ray, direction, intensity, out;
  std::string error;

  LoadedNode(const std::string& path, unsigned lights) {
    plugin = mayahost::Plugin::load(path, &error);
    if (!plugin) return;
    const auto type = mayahost::findType("mattora");
    if (!type) {
      error = "the plug-in registered no type \"mattora\"";
      return;
    }
    node = mayahost::Node::create(*type, &error);
    if (!node) return;
    block = node->newDataBlock();
    normal = type->attribute("normalCamera");
    ray = type->attribute("rayDirection");
    direction = type->attribute("lightDirection");
    intensity = type->attribute("lightIntensity");
    out = type->attribute("outColor");
    block->setElementCount(type->attribute("lightDataArray"), lights);
  }

  ~LoadedNode() {
    block.reset();
    node.reset();
    if (plugin) plugin->unload(nullptr);
  }
};

// One shading sample as the renderer hands it to the node. Kept out of line
// so an instruction profile can count its calls and its cost.
[[gnu::noinline]] inline mayahost::Float3 shadeThroughHost(LoadedNode& n, const Sample& s,
                                                           unsigned lights) {
  mayahost::DataBlock& b = *n.block;
  b.setVector(n.normal, s.normal.x, s.normal.y, s.normal.z);
  b.setVector(n.ray, s.ray.x, s.ray.y, s.ray.z);
  for (unsigned e = 0; e < lights; ++e) {
    const Vec3& d = kLightDirections[e];
    b.setVector(n.direction, d.x, d.y, d.z, e);
    b.setVector(n.intensity, kIntensity[0], kIntensity[1], kIntensity[2], e);
  }
  b.request(n.out);
  return b.getVector(n.out);
}

}  // namespace bench
