#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mayahost/host.h"
#include "pluginFixture.h"
#include "support/besideExecutable.h"

namespace {

using mattoratest::LoadedPlugin;
using mattoratest::pluginPath;

const std::string kRefresh =
    "if( `window -exists createRenderNodeWindow` )  "
    "{refreshCreateRenderNodeWindow(\"shader/surface\");}\n";

bool libraryIsResident(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

using PluginIdentity = LoadedPlugin;

TEST_F(PluginIdentity, RegistersTheSurfaceShaderTypeAndItsVendor) {
  EXPECT_EQ(plugin->initializeStatus(), mayahost::Status::kSuccess);
  EXPECT_EQ(plugin->vendor(), "Orrin : Halvane");
  EXPECT_EQ(plugin->version(), "1.0");
  EXPECT_EQ(plugin->requiredApiVersion(), "Any");
  EXPECT_EQ(plugin->apiVersion(), BUILD_MAYA_API);
  const auto types = plugin->types();
  ASSERT_EQ(types.size(), 1u);
  EXPECT_EQ(types[0].name(), "mattora");
  EXPECT_EQ(types[0].id(), 0x84042u);
  EXPECT_EQ(types[0].id(), 540738u);
  EXPECT_EQ(types[0].kind(), mayahost::kDependNode);
  EXPECT_EQ(types[0].classification(), std::optional<std::string>("shader/surface"));
}

TEST_F(PluginIdentity, LoadAndUnloadEachRunOnlyTheSameRefreshCommand) {
  auto atLoad = mayahost::commandLog();
  ASSERT_EQ(atLoad.size(), 1u);
  EXPECT_EQ(atLoad[0].text, kRefresh);
  EXPECT_FALSE(atLoad[0].displayEnabled);
  EXPECT_FALSE(atLoad[0].undoEnabled);

  mayahost::clearCommandLog();
  ASSERT_TRUE(plugin->unload());
  EXPECT_EQ(plugin->uninitializeStatus(), mayahost::Status::kSuccess);
  auto atUnload = mayahost::commandLog();
  ASSERT_EQ(atUnload.size(), 1u);
  EXPECT_EQ(atUnload[0].text, atLoad[0].text);
  EXPECT_FALSE(atUnload[0].displayEnabled);
  EXPECT_FALSE(atUnload[0].undoEnabled);
}

TEST_F(PluginIdentity, NewNodeIsMpSafeBeforeItsFirstEvaluation) {
  newBlock();
  EXPECT_TRUE(node->isMPSafe());
}

TEST(PluginLifecycle, UnloadDeregistersByIdAndLeavesTheLibrary) {
  std::string error;
  auto plugin = mayahost::Plugin::load(pluginPath(), &error);
  ASSERT_TRUE(plugin) << error;
  ASSERT_TRUE(mayahost::findType("mattora"));
  const long aliveWhileLoaded = mayahost::liveObjects();
  ASSERT_TRUE(plugin->unload(&error)) << error;
  EXPECT_FALSE(mayahost::findType("mattora"));
  EXPECT_TRUE(mayahost::registeredTypes().empty());
  EXPECT_FALSE(libraryIsResident(pluginPath()));
  // With the library go its 50 static attribute handles.
  EXPECT_EQ(aliveWhileLoaded - mayahost::liveObjects(), 50);
}

TEST(PluginLifecycle, UnloadReportsSuccessWhenTheTypeWasNeverRegistered) {
  // A type of another name already holding the id makes the plug-in's
  // registration fail; deregistering by that id then fails in the host.
  std::string error;
  auto first = mayahost::Plugin::load(pluginPath(), &error);
  ASSERT_TRUE(first) << error;
  auto second = mayahost::Plugin::load(pluginPath(), &error);
  ASSERT_TRUE(second) << error;
  EXPECT_EQ(second->initializeStatus(), mayahost::Status::kSuccess);
  EXPECT_TRUE(second->types().empty());
  ASSERT_TRUE(second->unload(&error)) << error;
  EXPECT_EQ(second->uninitializeStatus(), mayahost::Status::kSuccess);
  // The first plug-in's type survives: the second one's deregistration was refused.
  EXPECT_TRUE(mayahost::findType("mattora"));
  ASSERT_TRUE(first->unload(&error)) << error;
}

TEST(PluginLifecycle, ReloadRunsTheInitialiserOnFreshHandles) {
  std::string error;
  for (int round = 0; round < 3; ++round) {
    mayahost::clearCommandLog();
    auto plugin = mayahost::Plugin::load(pluginPath(), &error);
    ASSERT_TRUE(plugin) << "round " << round << ": " << error;
    auto type = mayahost::findType("mattora");
    ASSERT_TRUE(type) << "round " << round;
    // Twelve top-level attributes each time: the initialiser ran once more
    // and added to a new type, not on top of the last round's.
    EXPECT_EQ(type->attributes().size(), 12u) << "round " << round;
    EXPECT_EQ(type->affects().size(), 46u) << "round " << round;
    EXPECT_EQ(mayahost::commandLog().size(), 1u) << "round " << round;
    auto node = mayahost::Node::create(*type, &error);
    ASSERT_TRUE(node) << error;
    auto block = node->newDataBlock();
    EXPECT_FLOAT_EQ(block->getFloat(type->attribute("diffuse")), 0.8f);
    EXPECT_EQ(block->request(type->attribute("outColor")), mayahost::Status::kSuccess);
    node.reset();
    ASSERT_TRUE(plugin->unload(&error)) << error;
    // Fully unloaded, so the next load constructs the statics anew.
    EXPECT_FALSE(libraryIsResident(pluginPath())) << "round " << round;
  }
}

TEST(PluginLifecycle, UnloadIsRefusedWhileNodesExist) {
  std::string error;
  auto plugin = mayahost::Plugin::load(pluginPath(), &error);
  ASSERT_TRUE(plugin) << error;
  auto node = mayahost::Node::create(*mayahost::findType("mattora"), &error);
  ASSERT_TRUE(node) << error;
  EXPECT_FALSE(plugin->unload(&error));
  EXPECT_NE(error.find("still exist"), std::string::npos) << error;
  node.reset();
  EXPECT_TRUE(plugin->unload(&error)) << error;
}

// The host asks a new node what it is before it uses it.
TEST(PluginLifecycle, NodeThatIsNotTheKindItRegisteredIsRefused) {
  std::string error;
  auto plugin =
      mayahost::Plugin::load(testsupport::besideExecutable(WRONG_KIND_PLUGIN_PATH), &error);
  ASSERT_TRUE(plugin) << error;
  const auto type = mayahost::findType("badPluginNode");
  ASSERT_TRUE(type);
  EXPECT_FALSE(mayahost::Node::create(*type, &error));
  EXPECT_NE(error.find("its type() is not the kind it was registered as"), std::string::npos)
      << error;
  EXPECT_TRUE(plugin->unload(&error)) << error;
}

struct BadFile {
  std::string what;
  std::string path;
  std::string expectedProblem;
};

std::vector<BadFile> badFiles() {
  const auto dir = std::filesystem::temp_directory_path();
  const std::string text = (dir / "mattora_not_a_library.so").string();
  std::ofstream(text) << "not a shared library\n";
  // A bare name in the working directory is that file, not a library-path search.
  const std::string bare = "mattora_bare_text.so";
  std::ofstream(bare) << "not a shared library either\n";
  return {
      {"missing file", (dir / "mattora_no_such_plugin.so").string(), "no such file"},
      {"text file", text, "not a loadable library"},
      {"bare file name of a text file", bare, "not a loadable library (./" + bare},
      {"library without the exports", testsupport::besideExecutable(NOT_A_PLUGIN_PATH),
       "missing exports: _Z16initializePlugin7MObject, _Z18uninitializePlugin7MObject, "
       "MApiVersion"},
  };
}

TEST(PluginLoader, RefusesBadFilesWithAOneLineMessage) {
  for (const BadFile& bad : badFiles()) {
    std::string error;
    auto plugin = mayahost::Plugin::load(bad.path, &error);
    EXPECT_FALSE(plugin) << bad.what;
    EXPECT_NE(error.find(bad.expectedProblem), std::string::npos) << bad.what << ": " << error;
    EXPECT_NE(error.find(bad.path), std::string::npos) << bad.what << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << bad.what << ": " << error;
  }
  EXPECT_TRUE(mayahost::registeredTypes().empty());
}

// Runs a command and returns its exit status and everything it printed.
std::pair<int, std::string> run(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return {-1, ""};
  std::array<char, 4096> chunk;
  while (std::fgets(chunk.data(), chunk.size(), pipe)) output += chunk.data();
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(MayahostTool, BadFilesGiveOneLineAndAFailingExit) {
  for (const BadFile& bad : badFiles()) {
    const auto [exitCode, output] =
        run(testsupport::besideExecutable(MAYAHOST_PATH) + " '" + bad.path + "'");
    EXPECT_NE(exitCode, 0) << bad.what;
    EXPECT_NE(output.find(bad.expectedProblem), std::string::npos) << bad.what << ": " << output;
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1) << bad.what << ": " << output;
  }
}

TEST(MayahostTool, PrintsTheTypeItsAttributesAndCommands) {
  const auto [exitCode, output] =
      run(testsupport::besideExecutable(MAYAHOST_PATH) + " '" + pluginPath() + "'");
  EXPECT_EQ(exitCode, 0) << output;
  for (const char* expected :
       {"vendor \"Orrin : Halvane\"", "MApiVersion \"" BUILD_MAYA_API "\"",
        "node type \"mattora\"  id 0x84042 (540738)  kind kDependNode  classification "
        "\"shader/surface\"",
        "    color (c)  float3  default (0.5, 0.5, 0.5)  [keyable storable readable writable "
        "usedAsColor]",
        "roughness (rghn)  float  default 0.5", "softMax 2", "lightBlindData (lbld)  addr",
        "lightIntensityB -> outColor", "command at load: \"if( `window", "command at unload:"})
    EXPECT_NE(output.find(expected), std::string::npos) << expected;
}

}  // namespace
