// Loads the built mattora plug-in into the stand-in host for one test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mayahost/host.h"
#include "support/besideExecutable.h"

namespace mattoratest {

inline std::string pluginPath() { return testsupport::besideExecutable(MATTORA_PLUGIN_PATH); }

class LoadedPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    mayahost::clearCommandLog();
    std::string error;
    plugin = mayahost::Plugin::load(pluginPath(), &error);
    ASSERT_TRUE(plugin) << error;
    auto found = mayahost::findType("mattora");
    ASSERT_TRUE(found);
    type = std::make_unique<mayahost::NodeType>(*found);
  }

  void TearDown() override {
    node.reset();
    type.reset();
    if (plugin && plugin->loaded()) {
      std::string error;
      EXPECT_TRUE(plugin->unload(&error)) << error;
    }
  }

  mayahost::Attribute attr(const std::string& name) const {
    mayahost::Attribute a = type->attribute(name);
    EXPECT_TRUE(a) << "no attribute " << name;
    return a;
  }

  // A node and one data block for it.
  mayahost::DataBlock& newBlock() {
    std::string error;
    node = mayahost::Node::create(*type, &error);
    EXPECT_TRUE(node) << error;
    block = node->newDataBlock();
    return *block;
  }

  std::unique_ptr<mayahost::Plugin> plugin;
  std::unique_ptr<mayahost::NodeType> type;
  std::unique_ptr<mayahost::Node> node;
  std::unique_ptr<mayahost::DataBlock> block;
};

}  // namespace mattoratest
