// The Maya path: the built mattora plug-in, loaded by the stand-in Maya host
// as Maya loads it, one node per sphere, evaluated per sample as Maya's
// renderer evaluates a surface shader: normal, eye ray and light array into
// the thread's data block, then a request for outColor.
#include "mayahost/host.h"
#include "preview/hosts.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
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

// The plug-in, loaded once, and the node type's attributes the renderer uses.
class MayaLibrary : public HostLibrary, public std::enable_shared_from_this<MayaLibrary> {
 public:
  static std::shared_ptr<const MayaLibrary> load(const std::string& path, std::string& error) {
    std::unique_ptr<mayahost::Plugin> plugin = mayahost::Plugin::load(path, &error);
    if (!plugin) return nullptr;
    auto library = std::shared_ptr<MayaLibrary>(new MayaLibrary(path));
    const std::vector<mayahost::NodeType> types = plugin->types();
    const auto found = std::find_if(types.begin(), types.end(), [](const mayahost::NodeType& t) {
      return t.name() == "mattora";
    });
    if (found == types.end()) {
      error = library->prefix + "registers no \"mattora\" node type";
      return nullptr;
    }
    library->type_ = *found;
    if (!library->resolve(error)) {
      error = library->prefix + error;
      return nullptr;
    }
    library->plugin_ = std::move(plugin);
    return library;
  }

  const char* name() const override { return "maya"; }
  std::unique_ptr<ShadingBackend> newBackend(const Options& options) const override;

  // Renders make and drop nodes at the same time; the host is asked for them
  // one at a time.
  std::unique_ptr<mayahost::Node> createNode(std::string& error) const {
    const std::lock_guard<std::mutex> lock(nodesMutex_);
    std::string why;
    std::unique_ptr<mayahost::Node> node = mayahost::Node::create(type_, &why);
    if (!node) error = prefix + "cannot create a \"mattora\" node: " + why;
    return node;
  }
  void dropNodes(std::vector<std::unique_ptr<mayahost::Node>>& nodes) const {
    const std::lock_guard<std::mutex> lock(nodesMutex_);
    nodes.clear();
  }

  const std::string prefix;  // "plug-in "PATH": ", for messages
  Attributes attributes;

 private:
  explicit MayaLibrary(const std::string& path) : prefix("plug-in \"" + path + "\": ") {}

  bool resolve(std::string& error) {
    Attributes& a = attributes;
    const struct {
      mayahost::Attribute* handle;
      const char* name;
    } wanted[] = {
        {&a.color, "color"},
        {&a.diffuse, "diffuse"},
        {&a.translucence, "translucence"},
        {&a.roughness, "roughness"},
        {&a.normalCamera, "normalCamera"},
        {&a.rayDirection, "rayDirection"},
        {&a.lightDataArray, "lightDataArray"},
        {&a.lightDirection, "lightDirection"},
        {&a.lightIntensity, "lightIntensity"},
        {&a.lightAmbient, "lightAmbient"},
        {&a.lightDiffuse, "lightDiffuse"},
        {&a.outColor, "outColor"},
    };
    for (const auto& w : wanted) {
      *w.handle = type_.attribute(w.name);
      if (!*w.handle) {
        error = std::string("the \"mattora\" node has no attribute \"") + w.name + "\"";
        return false;
      }
    }
    return true;
  }

  std::unique_ptr<mayahost::Plugin> plugin_;
  mayahost::NodeType type_;
  mutable std::mutex nodesMutex_;
};

class MayaBackend : public ShadingBackend {
 public:
  // Without a library, prepare() loads the options' plug-in file.
  MayaBackend(const Options& options, std::shared_ptr<const MayaLibrary> library)
      : options_(options), library_(std::move(library)) {}
  ~MayaBackend() override {
    if (library_) library_->dropNodes(nodes_);
  }

  const char* name() const override { return "maya"; }

  bool prepare(const Scene& scene, std::string& error) override {
    scene_ = &scene;
    if (library_) library_->dropNodes(nodes_);
    if (!library_) {
      std::shared_ptr<const HostLibrary> loaded = loadMayaLibrary(options_, error);
      if (!loaded) return false;
      library_ = std::static_pointer_cast<const MayaLibrary>(loaded);
    }
    const MayaLibrary& library = *library_;
    const Attributes& a = library.attributes;

    elements_.clear();
    for (const Light& light : scene.lights) {
      const int count = lightSampleCount(light);
      for (int s = 0; s < count; ++s)
        elements_.push_back(LightElement{&light, s, 1.0f / static_cast<float>(count)});
    }

    for (const Sphere& sphere : scene.spheres) {
      std::unique_ptr<mayahost::Node> node = library.createNode(error);
      if (!node) return false;
      // One trial evaluation per node, so that a plug-in that refuses the
      // renderer's values fails here, with a message, and not per sample.
      std::unique_ptr<mayahost::DataBlock> block = node->newDataBlock();
      nodes_.push_back(std::move(node));
      if (!setUpBlock(*block, a, sphere.material, elements_, error)) {
        error = library.prefix + error;
        return false;
      }
      if (!block->setVector(a.normalCamera, 0.0f, 0.0f, 1.0f) ||
          !block->setVector(a.rayDirection, 0.0f, 0.0f, -1.0f) ||
          block->request(a.outColor) != mayahost::Status::kSuccess) {
        error = library.prefix + "the \"mattora\" node does not compute \"outColor\"";
        return false;
      }
    }
    return true;
  }

  std::unique_ptr<ThreadShader> forThread() override {
    const Attributes& a = library_->attributes;
    std::vector<std::unique_ptr<mayahost::DataBlock>> blocks;
    for (size_t i = 0; i < nodes_.size(); ++i) {
      blocks.push_back(nodes_[i]->newDataBlock());
      std::string ignored;  // prepare() has seen every node take these values
      setUpBlock(*blocks.back(), a, scene_->spheres[i].material, elements_, ignored);
    }
    return std::make_unique<MayaThreadShader>(a, elements_, std::move(blocks));
  }

 private:
  Options options_;
  const Scene* scene_ = nullptr;
  std::vector<LightElement> elements_;
  // Declared before the nodes, so the nodes go first: the host refuses to
  // unload a plug-in while nodes of its types exist.
  std::shared_ptr<const MayaLibrary> library_;
  std::vector<std::unique_ptr<mayahost::Node>> nodes_;
};

std::unique_ptr<ShadingBackend> MayaLibrary::newBackend(const Options& options) const {
  return std::make_unique<MayaBackend>(options, shared_from_this());
}

}  // namespace

std::shared_ptr<const HostLibrary> loadMayaLibrary(const Options& options, std::string& error) {
  const std::string path = mayaPluginPath(options);
  return sharedLibrary("maya", path, [&path, &error]() -> std::shared_ptr<const HostLibrary> {
    return MayaLibrary::load(path, error);
  });
}

std::unique_ptr<ShadingBackend> makeMayaBackend(const Options& options) {
  return std::make_unique<MayaBackend>(options, nullptr);
}

}  // namespace preview
