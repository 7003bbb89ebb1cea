// The Maya path: the built mattora plug-in, loaded by the stand-in Maya host
// as Maya loads it, one node per sphere, evaluated per sample as Maya's
// renderer evaluates a surface shader: normal, eye ray and light array into
// the thread's data block, then a request for outColor.
#include "mayahost/host.h"
#include "preview/hosts.h"

#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace preview {

namespace {

// The node's attributes the renderer writes or reads, resolved once by name.
struct Attributes {
  mayahost::Attribute color, diffuse, translucence, roughness;
  mayahost::Attribute normalCamera, rayDirection;
  mayahost::Attribute lightDataArray, lightDirection, lightIntensity, lightAmbient, lightDiffuse;
  mayahost::Attribute outColor;
};

// Maya hands a surface shader one light array element per light; an area
// light arrives as one element per sample, each carrying its share of the
// light's colour.
struct LightElement {
  const Light* light;
  int sample;
  float share;  // 1 / the light's sample count
};

// Puts one sphere's material and the lights' fixed values into a block. False
// with the problem in `error` when the node refuses a value.
bool setUpBlock(mayahost::DataBlock& block, const Attributes& a, const Material& m,
                const std::vector<LightElement>& elements, std::string& error) {
  const auto refused = [&error](const char* attribute) {
    error = std::string("the \"mattora\" node refuses a value for \"") + attribute + "\"";
    return false;
  };
  if (!block.setVector(a.color, m.color.r, m.color.g, m.color.b)) return refused("color");
  if (!block.setFloat(a.diffuse, m.diffuse)) return refused("diffuse");
  if (!block.setFloat(a.translucence, m.translucence)) return refused("translucence");
  if (!block.setFloat(a.roughness, m.roughness)) return refused("roughness");
  if (!block.setElementCount(a.lightDataArray, static_cast<unsigned>(elements.size())))
    return refused("lightDataArray");
  for (unsigned e = 0; e < elements.size(); ++e) {
    const miColor& c = elements[e].light->color;
    const float share = elements[e].share;
    if (!block.setVector(a.lightIntensity, c.r * share, c.g * share, c.b * share, e))
      return refused("lightIntensity");
    if (!block.setBool(a.lightAmbient, false, e)) return refused("lightAmbient");
    if (!block.setBool(a.lightDiffuse, true, e)) return refused("lightDiffuse");
  }
  return true;
}

class MayaThreadShader : public ThreadShader {
 public:
  MayaThreadShader(const Attributes& attributes, const std::vector<LightElement>& elements,
                   std::vector<std::unique_ptr<mayahost::DataBlock>> blocks)
      : a_(attributes), elements_(elements), blocks_(std::move(blocks)) {}

  Rgb shade(const Hit& hit) override {
    mayahost::DataBlock& block = *blocks_[static_cast<size_t>(hit.sphere)];
    block.setVector(a_.normalCamera, hit.normal.x, hit.normal.y, hit.normal.z);
    block.setVector(a_.rayDirection, hit.direction.x, hit.direction.y, hit.direction.z);
    for (unsigned e = 0; e < elements_.size(); ++e) {
      const LightSample s = sampleLight(*elements_[e].light, hit.point, elements_[e].sample);
      block.setVector(a_.lightDirection, s.toLight.x, s.toLight.y, s.toLight.z, e);
    }
    // prepare() saw the node compute; a refusal now is a broken plug-in, and
    // the renderer counts and reports a sample that is not a number.
    if (block.request(a_.outColor) != mayahost::Status::kSuccess) {
      const float nan = std::numeric_limits<float>::quiet_NaN();
      return Rgb{nan, nan, nan};
    }
    const mayahost::Float3 c = block.getVector(a_.outColor);
    return Rgb{c.x, c.y, c.z};
  }

 private:
  const Attributes& a_;
  const std::vector<LightElement>& elements_;
  std::vector<std::unique_ptr<mayahost::DataBlock>> blocks_;  // one per sphere
};

class MayaBackend : public ShadingBackend {
 public:
  explicit MayaBackend(const Options& options) : options_(options) {}

  const char* name() const override { return "maya"; }

  bool prepare(const Scene& scene, std::string& error) override {
    scene_ = &scene;
    nodes_.clear();
    plugin_.reset();
    const std::string path = mayaPluginPath(options_);
    plugin_ = mayahost::Plugin::load(path, &error);
    if (!plugin_) return false;
    const std::string prefix = "plug-in \"" + path + "\": ";
    const mayahost::NodeType* type = nullptr;
    const std::vector<mayahost::NodeType> types = plugin_->types();
    for (const mayahost::NodeType& t : types)
      if (t.name() == "mattora") type = &t;
    if (!type) {
      error = prefix + "registers no \"mattora\" node type";
      return false;
    }
    if (!resolve(*type, error)) {
      error = prefix + error;
      return false;
    }

    elements_.clear();
    for (const Light& light : scene.lights) {
      const int count = lightSampleCount(light);
      for (int s = 0; s < count; ++s)
        elements_.push_back(LightElement{&light, s, 1.0f / static_cast<float>(count)});
    }

    for (const Sphere& sphere : scene.spheres) {
      std::string why;
      std::unique_ptr<mayahost::Node> node = mayahost::Node::create(*type, &why);
      if (!node) {
        error = prefix + "cannot create a \"mattora\" node: " + why;
        return false;
      }
      // One trial evaluation per node, so that a plug-in that refuses the
      // renderer's values fails here, with a message, and not per sample.
      std::unique_ptr<mayahost::DataBlock> block = node->newDataBlock();
      if (!setUpBlock(*block, a_, sphere.material, elements_, error)) {
        error = prefix + error;
        return false;
      }
      if (!block->setVector(a_.normalCamera, 0.0f, 0.0f, 1.0f) ||
          !block->setVector(a_.rayDirection, 0.0f, 0.0f, -1.0f) ||
          block->request(a_.outColor) != mayahost::Status::kSuccess) {
        error = prefix + "the \"mattora\" node does not compute \"outColor\"";
        return false;
      }
      nodes_.push_back(std::move(node));
    }
    return true;
  }

  std::unique_ptr<ThreadShader> forThread() override {
    std::vector<std::unique_ptr<mayahost::DataBlock>> blocks;
    for (size_t i = 0; i < nodes_.size(); ++i) {
      blocks.push_back(nodes_[i]->newDataBlock());
      std::string ignored;  // prepare() has seen every node take these values
      setUpBlock(*blocks.back(), a_, scene_->spheres[i].material, elements_, ignored);
    }
    return std::make_unique<MayaThreadShader>(a_, elements_, std::move(blocks));
  }

 private:
  bool resolve(const mayahost::NodeType& type, std::string& error) {
    const struct {
      mayahost::Attribute* handle;
      const char* name;
    } wanted[] = {
        {&a_.color, "color"},
        {&a_.diffuse, "diffuse"},
        {&a_.translucence, "translucence"},
        {&a_.roughness, "roughness"},
        {&a_.normalCamera, "normalCamera"},
        {&a_.rayDirection, "rayDirection"},
        {&a_.lightDataArray, "lightDataArray"},
        {&a_.lightDirection, "lightDirection"},
        {&a_.lightIntensity, "lightIntensity"},
        {&a_.lightAmbient, "lightAmbient"},
        {&a_.lightDiffuse, "lightDiffuse"},
        {&a_.outColor, "outColor"},
    };
    for (const auto& w : wanted) {
      *w.handle = type.attribute(w.name);
      if (!*w.handle) {
        error = std::string("the \"mattora\" node has no attribute \"") + w.name + "\"";
        return false;
      }
    }
    return true;
  }

  Options options_;
  const Scene* scene_ = nullptr;
  Attributes a_;
  std::vector<LightElement> elements_;
  // Declared before the nodes, so the nodes go first: the host refuses to
  // unload a plug-in while nodes of its types exist.
  std::unique_ptr<mayahost::Plugin> plugin_;
  std::vector<std::unique_ptr<mayahost::Node>> nodes_;
};

}  // namespace

std::unique_ptr<ShadingBackend> makeMayaBackend(const Options& options) {
  return std::make_unique<MayaBackend>(options);
}

}  // namespace preview
