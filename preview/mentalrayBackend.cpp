// The mental ray path: the built vela_mattora library, loaded by the stand-in
// renderer with the declaration beside it, one parameter block per sphere,
// and per sample a render state handed to the shader entry as mental ray
// hands it. The lights are registered in the renderer, whose mi_sample_light
// the shader calls: a scene of each render's own, so renders run at once.
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
                        int thread, const mrhost::Scene& scene)
      : library_(library), instances_(instances), context_(thread, &scene) {}

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

// The shader library, loaded once, with the declaration read beside it.
class MentalrayLibrary : public HostLibrary, public std::enable_shared_from_this<MentalrayLibrary> {
 public:
  static std::shared_ptr<const MentalrayLibrary> load(const std::string& file, std::string& error) {
    const std::filesystem::path path = file;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      error = "cannot load shader library \"" + path.string() +
              "\": " + (std::filesystem::exists(path, ec) ? "not a file" : "no such file");
      return nullptr;
    }
    auto library = std::shared_ptr<MentalrayLibrary>(new MentalrayLibrary());
    try {
      // The renderer reads a shader's declaration before it loads the code.
      library->decls_ =
          mrhost::readDeclarationFile((path.parent_path() / "vela_mattora.mi").string());
      library->decl_ = &mrhost::findDeclaration(library->decls_, "vela_mattora");
      library->shaders_ = std::make_unique<mrhost::ShaderLibrary>(path.string(), *library->decl_);
    } catch (const std::exception& e) {
      error = e.what();
      return nullptr;
    }
    return library;
  }

  const char* name() const override { return "mentalray"; }
  std::unique_ptr<ShadingBackend> newBackend(const Options& options) const override;

  const mrhost::ShaderDecl& declaration() const { return *decl_; }
  const mrhost::ShaderLibrary& shaders() const { return *shaders_; }

 private:
  MentalrayLibrary() = default;

  std::vector<mrhost::ShaderDecl> decls_;
  const mrhost::ShaderDecl* decl_ = nullptr;
  std::unique_ptr<mrhost::ShaderLibrary> shaders_;
};

class MentalrayBackend : public ShadingBackend {
 public:
  // Without a library, prepare() loads the options' library file.
  MentalrayBackend(const Options& options, std::shared_ptr<const MentalrayLibrary> library)
      : options_(options), library_(std::move(library)) {}

  const char* name() const override { return "mentalray"; }

  bool prepare(const Scene& scene, std::string& error) override {
    instances_.clear();
    scene_.clear();
    if (!library_) {
      std::shared_ptr<const HostLibrary> loaded = loadMentalrayLibrary(options_, error);
      if (!loaded) return false;
      library_ = std::static_pointer_cast<const MentalrayLibrary>(loaded);
    }
    const mrhost::ShaderDecl& decl = library_->declaration();
    try {
      std::vector<miTag> lights;
      for (const Light& light : scene.lights) lights.push_back(scene_.addLight(light));
      if (options_.irradiance) scene_.setEnvironment(kSky, true);

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
          const miTag checker = scene_.addChecker(
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
    return std::make_unique<MentalrayThreadShader>(library_->shaders(), instances_, nextThread_++,
                                                   scene_);
  }

 private:
  Options options_;
  std::shared_ptr<const MentalrayLibrary> library_;
  // This render's lights, checkers and sky, which its threads' contexts name.
  mrhost::Scene scene_;
  std::vector<std::unique_ptr<mrhost::ShaderInstance>> instances_;
  int nextThread_ = 0;
};

std::unique_ptr<ShadingBackend> MentalrayLibrary::newBackend(const Options& options) const {
  return std::make_unique<MentalrayBackend>(options, shared_from_this());
}

}  // namespace

std::shared_ptr<const HostLibrary> loadMentalrayLibrary(const Options& options,
                                                        std::string& error) {
  const std::string path = mentalrayLibraryPath(options);
  return sharedLibrary("mentalray", path, [&path, &error]() -> std::shared_ptr<const HostLibrary> {
    return MentalrayLibrary::load(path, error);
  });
}

std::unique_ptr<ShadingBackend> makeMentalrayBackend(const Options& options) {
  return std::make_unique<MentalrayBackend>(options, nullptr);
}

}  // namespace preview
