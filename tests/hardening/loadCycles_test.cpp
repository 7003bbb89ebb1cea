// Each stand-in host loads and unloads each deliverable a thousand times,
// evaluating in between. Under the asan preset LeakSanitizer fails the run on
// anything a cycle leaves behind; here each cycle checks that the library
// really left the process (so its statics, the node's attribute handles and
// the shader's host table, are built afresh by the next load) and that the
// fresh copy evaluates correctly.
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "hosts/mentalray/testing.h"
#include "mayahost/host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/besideExecutable.h"

// The shader's own parameter struct, left incomplete: calling the entry
// through its exact type keeps the call well-defined.
struct vela_mattora_params;

namespace {

constexpr int kCycles = 1000;

// True while the dynamic linker still has the file mapped.
bool stillLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

int countAttributes(const std::vector<mayahost::Attribute>& attributes) {
  int count = 0;
  for (const mayahost::Attribute& a : attributes) count += 1 + countAttributes(a.info().children);
  return count;
}

TEST(LoadCycles, MayaPluginComesBackFreshEachOfAThousandLoads) {
  // Roughness 0 reduces the model to Lambert: colour * intensity * diffuse * N.L.
  const double NdotL = 0.8, diffuse = 0.8;
  const double expected[3] = {0.5 * diffuse * NdotL, 0.25 * diffuse * NdotL, 1.0 * diffuse * NdotL};
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    std::string error;
    std::unique_ptr<mayahost::Plugin> plugin =
        mayahost::Plugin::load(testsupport::besideExecutable(MATTORA_PLUGIN), &error);
    ASSERT_TRUE(plugin) << "cycle " << cycle << ": " << error;
    const auto type = mayahost::findType("mattora");
    ASSERT_TRUE(type) << "cycle " << cycle;
    ASSERT_EQ(countAttributes(type->attributes()), 50) << "cycle " << cycle;
    {
      auto node = mayahost::Node::create(*type);
      ASSERT_TRUE(node && node->isMPSafe()) << "cycle " << cycle;
      auto block = node->newDataBlock();
      auto a = [&](const char* name) { return type->attribute(name); };
      block->setVector(a("color"), 0.5f, 0.25f, 1.0f);
      block->setFloat(a("roughness"), 0.0f);
      block->setVector(a("normalCamera"), 0.0f, 0.0f, 1.0f);
      block->setVector(a("rayDirection"), 0.0f, 0.0f, -1.0f);
      block->setElementCount(a("lightDataArray"), 1);
      block->setVector(a("lightDirection"), 0.6f, 0.0f, 0.8f, 0);
      block->setVector(a("lightIntensity"), 1.0f, 1.0f, 1.0f, 0);
      block->setBool(a("lightAmbient"), false, 0);
      block->setBool(a("lightDiffuse"), true, 0);
      ASSERT_EQ(block->request(a("outColor")), mayahost::Status::kSuccess) << "cycle " << cycle;
      const mayahost::Float3 c = block->getVector(a("outColor"));
      ASSERT_NEAR(c.x, expected[0], 1e-6) << "cycle " << cycle;
      ASSERT_NEAR(c.y, expected[1], 1e-6) << "cycle " << cycle;
      ASSERT_NEAR(c.z, expected[2], 1e-6) << "cycle " << cycle;
    }
    ASSERT_TRUE(plugin->unload(&error)) << "cycle " << cycle << ": " << error;
    ASSERT_FALSE(stillLoaded(testsupport::besideExecutable(MATTORA_PLUGIN)))
        << "cycle " << cycle << ": still mapped";
    ASSERT_FALSE(mayahost::findType("mattora")) << "cycle " << cycle;
  }
}

TEST(LoadCycles, ShaderLibraryComesBackWithAnEmptyHostTableEachOfAThousandLoads) {
  using Entry = miBoolean (*)(miColor*, miState*, vela_mattora_params*);
  const std::vector<mrhost::ShaderDecl> decls =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  const mrhost::ShaderDecl& decl = mrhost::findDeclaration(decls, "vela_mattora");

  // Roughness 0, one sample at N.L = 0.8, no ambient or incandescence.
  mrhost::clearScene();
  const miTag light =
      mrhost::addScriptedLight({{miColor{1.0f, 1.0f, 1.0f, 1.0f}, miVector{0.6f, 0.0f, 0.8f}}});
  mrhost::ShaderInstance params(decl);
  params.setColor("color", miColor{0.5f, 0.25f, 1.0f, 1.0f});
  params.setColor("ambientColor", miColor{0.0f, 0.0f, 0.0f, 0.0f});
  params.setScalar("roughness", 0.0f);
  params.setScalar("diffuse", 0.8f);
  params.setLights("light", {light});
  mrhost::ShadingContext context;
  const double expected[3] = {0.5 * 0.8 * 0.8, 0.25 * 0.8 * 0.8, 1.0 * 0.8 * 0.8};

  for (int cycle = 0; cycle < kCycles; ++cycle) {
    void* library =
        dlopen(testsupport::besideExecutable(VELA_MATTORA_LIBRARY).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << "cycle " << cycle << ": " << dlerror();
    const auto entry = reinterpret_cast<Entry>(dlsym(library, "vela_mattora"));
    const auto setModuleHandle =
        reinterpret_cast<int (*)(void*)>(dlsym(library, "miSetModuleHandle"));
    const auto version = reinterpret_cast<int (*)()>(dlsym(library, "vela_mattora_version"));
    ASSERT_TRUE(entry && setModuleHandle && version) << "cycle " << cycle;
    ASSERT_EQ(version(), 1);

    auto shade = [&] {
      miState& state = context.prepare(miVector{0.0f, 0.0f, 5.0f}, miVector{0.0f, 0.0f, -1.0f},
                                       miVector{0.0f, 0.0f, 0.0f}, miVector{0.0f, 0.0f, 1.0f},
                                       params.function());
      miColor result{0.0f, 0.0f, 0.0f, 0.0f};
      EXPECT_EQ(entry(&result, &state, static_cast<vela_mattora_params*>(params.parameters())),
                miTRUE);
      return result;
    };
    // Before the renderer hands over its module, a freshly loaded library has
    // no handle, whatever the previous copy held: its first lookup says so.
    testing::internal::CaptureStderr();
    shade();
    const std::string unbound = testing::internal::GetCapturedStderr();
    ASSERT_NE(unbound.find("DYNLOAD: dl_handle null\n"), std::string::npos)
        << "cycle " << cycle << ": " << unbound;

    ASSERT_EQ(setModuleHandle(mrhost::rendererModule()), 0);
    testing::internal::CaptureStderr();
    const miColor c = shade();
    ASSERT_EQ(testing::internal::GetCapturedStderr(), "") << "cycle " << cycle;
    ASSERT_NEAR(c.r, expected[0], 1e-6) << "cycle " << cycle;
    ASSERT_NEAR(c.g, expected[1], 1e-6) << "cycle " << cycle;
    ASSERT_NEAR(c.b, expected[2], 1e-6) << "cycle " << cycle;
    ASSERT_EQ(c.a, 1.0f);

    ASSERT_EQ(dlclose(library), 0) << dlerror();
    ASSERT_FALSE(stillLoaded(testsupport::besideExecutable(VELA_MATTORA_LIBRARY)))
        << "cycle " << cycle << ": still mapped";
  }
}

}  // namespace
