// The mental ray path: the built vela_mattora library, loaded by the stand-in
// renderer with the declaration beside it, one parameter block per sphere,
// and per sample a render state handed to the shader entry as mental ray
// hands it. The lights are registered in the renderer, whose mi_sample_light
// the shader calls.
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "preview/hosts.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace preview {

namespace {

// The checker of --texture: the surface colour and a darker version of it,
// in cells a quarter of a sphere's radius wide.
constexpr float kCheckerDarkening = 0.25f;
constexpr float kCheckerCell = 0.25f * kSphereRadius;

// The sky of --irradiance: brighter overhead (camera +y), and a little blue.
const mrhost::Environment kSky{miColor{0.06f, 0.07f, 0.09f, 1.0f},
                               miColor{0.04f, 0.05f, 0.07f, 0.0f}, miVector{0.0f, 1.0f, 0.0f}};

miVector toMi(const Vec3& v) { return miVector{v.x, v.y, v.z}; }
miColor toMi(const Rgb& c) { return miColor{c.r, c.g, c.b, 1.0f}; }

class MentalrayThreadShader : public ThreadShader {
 public:
  MentalrayThreadShader(const mrhost::ShaderLibrary& library,
                        const std::vector<std::unique_ptr<mrhost::ShaderInstance>>& instances,
                        int thread)
      : library_(library), instances_(instances), context_(thread) {}

  Rgb shade(const Hit& hit) override {
    mrhost::ShaderInstance& instance = *instances_[static_cast<size_t>(hit.sphere)];
    miState& state = context_.prepare(miVector{0.0f, 0.0f, 0.0f}, toMi(hit.direction),
                                      toMi(hit.point), toMi(hit.normal), instance.function());
    // The shader adds onto what the result holds, as onto a ray's earlier
    // contributions; this sample has none.
    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    // Through the loader's one generic call site, as the renderer calls shaders.
    library_.shade(&result, &state, instance.parameters());
    return Rgb{result.r, result.g, result.b};
  }

 private:
  const mrhost::ShaderLibrary& library_;
  const std::vector<std::unique_ptr<mrhost::ShaderInstance>>& instances_;
  mrhost::ShadingContext context_;
};

class MentalrayBackend : public ShadingBackend {
 public:
  explicit MentalrayBackend(const Options& options) : options_(options) {}
  // The renderer's scene is one per process; leave it empty for whoever
  // renders next.
  ~MentalrayBackend() override { mrhost::clearScene(); }

  const char* name() const override { return "mentalray"; }

  bool prepare(const Scene& scene, std::string& error) override {
    instances_.clear();
    library_.reset();
    mrhost::clearScene();
    const std::filesystem::path path = mentalrayLibraryPath(options_);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      error = "cannot load shader library \"" + path.string() +
              "\": " + (std::filesystem::exists(path, ec) ? "not a file" : "no such file");
      return false;
    }
    try {
      // The renderer reads a shader's declaration before it loads the code.
      decls_ = mrhost::readDeclarationFile((path.parent_path() / "vela_mattora.mi").string());
      const mrhost::ShaderDecl& decl = mrhost::findDeclaration(decls_, "vela_mattora");
      library_ = std::make_unique<mrhost::ShaderLibrary>(path.string(), decl);

      std::vector<miTag> lights;
      for (const Light& light : scene.lights) lights.push_back(mrhost::addLight(light));
      if (options_.irradiance) mrhost::setEnvironment(kSky, true);

      for (const Sphere& sphere : scene.spheres) {
        auto instance = std::make_unique<mrhost::ShaderInstance>(decl);
        const Material& m = sphere.material;
        instance->setColor("color", toMi(m.color));
        instance->setScalar("diffuse", m.diffuse);
        instance->setScalar("roughness", m.roughness);
        instance->setLights("light", lights);
        if (options_.irradiance) {
          instance->setBoolean("irradiance", true);
          instance->setColor("irradianceColor", miColor{1.0f, 1.0f, 1.0f, 1.0f});
        }
        if (options_.texture) {
          const Rgb& c = m.color;
          const miTag checker = mrhost::addChecker(
              toMi(c),
              toMi(Rgb{c.r * kCheckerDarkening, c.g * kCheckerDarkening, c.b * kCheckerDarkening}),
              kCheckerCell);
          instance->drive("color", checker);
        }
        instances_.push_back(std::move(instance));
      }
    } catch (const std::exception& e) {
      error = e.what();
      return false;
    }
    return true;
  }

  std::unique_ptr<ThreadShader> forThread() override {
    return std::make_unique<MentalrayThreadShader>(*library_, instances_, nextThread_++);
  }

 private:
  Options options_;
  std::vector<mrhost::ShaderDecl> decls_;
  std::unique_ptr<mrhost::ShaderLibrary> library_;
  std::vector<std::unique_ptr<mrhost::ShaderInstance>> instances_;
  int nextThread_ = 0;
};

}  // namespace

std::unique_ptr<ShadingBackend> makeMentalrayBackend(const Options& options) {
  return std::make_unique<MentalrayBackend>(options);
}

}  // namespace preview
