// Shades samples through the stand-in renderer's loader and the built
// vela_mattora library, with a fresh scene and parameter block per test.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "hosts/mentalray/testing.h"
#include "support/besideExecutable.h"

namespace mrtest {

// Byte offsets of the fields the declaration does not name on their own.
constexpr int kILight = 88, kNLight = 92;

class ShadingTest : public testing::Test {
 protected:
  static const mrhost::ShaderDecl& declaration() {
    static const std::vector<mrhost::ShaderDecl> decls =
        mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
    return mrhost::findDeclaration(decls, "vela_mattora");
  }
  static const mrhost::ShaderLibrary& library() {
    static const mrhost::ShaderLibrary loaded(testsupport::besideExecutable(VELA_MATTORA_LIBRARY),
                                              declaration());
    return loaded;
  }

  void SetUp() override {
    mrhost::clearScene();
    mrhost::stopCallLog();
    mrhost::scribbleOnStates(false);
    instance_ = std::make_unique<mrhost::ShaderInstance>(declaration());
  }
  void TearDown() override {
    mrhost::stopCallLog();
    mrhost::scribbleOnStates(false);
  }

  mrhost::ShaderInstance& params() { return *instance_; }

  template <typename T>
  void setField(int offset, const T& value) {
    std::memcpy(static_cast<char*>(instance_->parameters()) + offset, &value, sizeof value);
  }

  // A camera straight above the origin looking down the normal (0, 0, 1).
  miState& prepare(const miVector& normal = {0.0f, 0.0f, 1.0f},
                   const miVector& point = {0.0f, 0.0f, 0.0f}) {
    return context_.prepare(miVector{point.x, point.y, point.z + 5.0f}, miVector{0.0f, 0.0f, -1.0f},
                            point, normal, instance_->function());
  }

  miColor shade(const miColor& start = {0.0f, 0.0f, 0.0f, 0.0f}) {
    miColor result = start;
    EXPECT_EQ(library().shade(&result, &context_.state(), instance_->parameters()), miTRUE);
    return result;
  }

  std::vector<mrhost::CallRecord> callsOf(mrhost::RendererCall call) const {
    std::vector<mrhost::CallRecord> calls;
    for (const mrhost::CallRecord& record : mrhost::callLog())
      if (record.call == call) calls.push_back(record);
    return calls;
  }

  mrhost::ShadingContext context_;
  std::unique_ptr<mrhost::ShaderInstance> instance_;
};

inline void expectColor(const miColor& actual, double r, double g, double b, const char* what) {
  const auto near = [](double x, double expected) {
    return std::fabs(x - expected) <= 2e-6 * std::fmax(1.0, std::fabs(expected));
  };
  EXPECT_TRUE(near(actual.r, r) && near(actual.g, g) && near(actual.b, b))
      << what << ": got (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
      << r << ", " << g << ", " << b << ")";
}

}  // namespace mrtest
