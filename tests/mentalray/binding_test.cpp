// The library's binding to the renderer, compiled into this test on its own:
// the stubs and miSetModuleHandle are called directly, against small renderer
// modules that answer with their own number.
#include <shader.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "mentalray/hostBinding.h"
#include "support/besideExecutable.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

void* openModule(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(handle, nullptr) << dlerror();
  return handle;
}

struct Modules {
  void* a = openModule(testsupport::besideExecutable(FAKE_RENDERER_A));
  void* b = openModule(testsupport::besideExecutable(FAKE_RENDERER_B));
  void* partial = openModule(testsupport::besideExecutable(FAKE_RENDERER_PARTIAL));
};

const Modules& modules() {
  static const Modules loaded;
  return loaded;
}

int& callsOf(void* module) { return *static_cast<int*>(dlsym(module, "fakeCalls")); }

std::string handleText(void* handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%08" PRIxPTR, reinterpret_cast<std::uintptr_t>(handle));
  return text;
}

std::string lookupFailure(const char* name, void* handle) {
  return std::string("dlsym failed on \"") + name + "\" (handle: " + handleText(handle) +
         " error: 127)\n";
}

// Which module answered each of the three stubs: 0 when none did.
struct Answers {
  float phenEval, sampleLight, irradiance;
};

Answers callAllStubs() {
  miState state{};
  miScalar param = 0.0f;
  miColor color{};
  miVector dir{};
  miScalar dotNL = 0.0f;
  miInteger samples = 0;
  Answers answers{};
  const void* evaluated = mi_phen_eval(&state, &param);
  answers.phenEval = evaluated == &param ? 0.0f : *static_cast<const miScalar*>(evaluated);
  answers.sampleLight = mi_sample_light(&color, &dir, &dotNL, &state, 1, &samples) ? color.r : 0;
  color = miColor{};
  answers.irradiance = mi_compute_irradiance(&color, &state) ? color.r : 0.0f;
  return answers;
}

int filledSlots() {
  int filled = 0;
  for (int i = 0; i < vela::kHostSlots; ++i) filled += vela::hostSlotTable()[i].load() != nullptr;
  return filled;
}

TEST(Binding, SetModuleHandleReturnsZeroAndEmptiesTheWholeTable) {
  void* const handles[] = {nullptr, modules().a, reinterpret_cast<void*>(std::uintptr_t{0x1234})};
  for (void* handle : handles) {
    for (int i = 0; i < vela::kHostSlots; ++i)
      vela::hostSlotTable()[i].store(reinterpret_cast<void*>(&filledSlots));
    EXPECT_EQ(miSetModuleHandle(handle), 0) << handleText(handle);
    EXPECT_EQ(filledSlots(), 0) << handleText(handle);
  }
}

TEST(Binding, LibraryReportsVersionOne) {
  void* library = openModule(testsupport::besideExecutable(VELA_MATTORA_LIBRARY));
  auto version = reinterpret_cast<int (*)()>(dlsym(library, "vela_mattora_version"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version(), 1);
  dlclose(library);
}

TEST(Binding, NullHandleWarnsAndStillLooksUp) {
  miSetModuleHandle(nullptr);
  CaptureStderr();
  miColor color{0.25f, 0.5f, 0.75f, 1.0f};
  miState state{};
  const miBoolean answered = mi_compute_irradiance(&color, &state);
  EXPECT_EQ(GetCapturedStderr(),
            "DYNLOAD: dl_handle null\n" + lookupFailure("mi_compute_irradiance", nullptr));
  EXPECT_EQ(answered, miFALSE);
  EXPECT_EQ(color.r, 0.0f);
  EXPECT_EQ(color.g, 0.0f);
  EXPECT_EQ(color.b, 0.0f);
}

TEST(Binding, MissingNameIsReportedOnEveryCallAndLeavesItsSlotEmpty) {
  void* partial = modules().partial;
  miSetModuleHandle(partial);
  for (int call = 1; call <= 2; ++call) {
    CaptureStderr();
    const Answers answers = callAllStubs();
    EXPECT_EQ(GetCapturedStderr(), lookupFailure("mi_compute_irradiance", partial))
        << "call " << call;
    EXPECT_EQ(answers.phenEval, 3.0f);
    EXPECT_EQ(answers.sampleLight, 3.0f);
    EXPECT_EQ(answers.irradiance, 0.0f);
    EXPECT_EQ(vela::hostSlotTable()[vela::kSlotComputeIrradiance].load(), nullptr);
  }
}

TEST(Binding, FailedLookupsFallBackWithoutCallingThroughANullSlot) {
  // The test program itself exports none of the three names.
  miSetModuleHandle(dlopen(nullptr, RTLD_NOW));
  CaptureStderr();
  miState state{};
  miScalar param = 0.5f;
  miColor color{1.0f, 1.0f, 1.0f, 1.0f};
  miVector dir{};
  miScalar dotNL = 0.0f;
  miInteger samples = 0;
  EXPECT_EQ(mi_phen_eval(&state, &param), &param) << "the stored value stands";
  EXPECT_EQ(mi_sample_light(&color, &dir, &dotNL, &state, 1, &samples), miFALSE)
      << "no more samples";
  EXPECT_EQ(samples, 0);
  EXPECT_EQ(mi_compute_irradiance(&color, &state), miFALSE);
  EXPECT_EQ(color.r + color.g + color.b, 0.0f) << "black irradiance";
  const std::string printed = GetCapturedStderr();
  for (const char* name : {"mi_phen_eval", "mi_sample_light", "mi_compute_irradiance"})
    EXPECT_NE(printed.find(std::string("dlsym failed on \"") + name + "\""), std::string::npos)
        << printed;
}

TEST(Binding, SuccessfulLookupIsKeptUntilTheNextHandle) {
  miSetModuleHandle(modules().a);
  const int before = callsOf(modules().a);
  CaptureStderr();
  EXPECT_FLOAT_EQ(callAllStubs().sampleLight, 1.0f);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(vela::hostSlotTable()[vela::kSlotSampleLight].load(),
            dlsym(modules().a, "mi_sample_light"));

  // A second call forwards to whatever the slot holds, without looking up.
  static int substituteCalls = 0;
  struct Substitute {
    static miBoolean sampleLight(miColor*, miVector*, miScalar*, miState*, miTag, miInteger*) {
      ++substituteCalls;
      return miFALSE;
    }
  };
  vela::hostSlotTable()[vela::kSlotSampleLight].store(
      reinterpret_cast<void*>(&Substitute::sampleLight));
  miColor color{};
  miVector dir{};
  miScalar dotNL;
  miInteger samples = 0;
  mi_sample_light(&color, &dir, &dotNL, nullptr, 1, &samples);
  EXPECT_EQ(substituteCalls, 1);
  EXPECT_EQ(callsOf(modules().a), before + 3);
}

TEST(Binding, AnotherHandleSendsTheNextCallsToTheNewModule) {
  miSetModuleHandle(modules().a);
  const Answers first = callAllStubs();
  miSetModuleHandle(modules().b);
  const Answers second = callAllStubs();
  EXPECT_EQ(first.phenEval, 1.0f);
  EXPECT_EQ(first.sampleLight, 1.0f);
  EXPECT_EQ(first.irradiance, 1.0f);
  EXPECT_EQ(second.phenEval, 2.0f);
  EXPECT_EQ(second.sampleLight, 2.0f);
  EXPECT_EQ(second.irradiance, 2.0f);
}

TEST(Binding, StubsUseSlots50_85_91AndNoOther) {
  miSetModuleHandle(modules().a);
  callAllStubs();
  const struct {
    int slot;
    const char* name;
  } used[] = {{50, "mi_compute_irradiance"}, {85, "mi_sample_light"}, {91, "mi_phen_eval"}};
  for (const auto& u : used)
    EXPECT_EQ(vela::hostSlotTable()[u.slot].load(), dlsym(modules().a, u.name)) << u.name;
  EXPECT_EQ(filledSlots(), 3);

  // And each stub calls what its own slot holds, whatever the module exports.
  miSetModuleHandle(modules().a);
  for (const auto& u : used) vela::hostSlotTable()[u.slot].store(dlsym(modules().b, u.name));
  const Answers answers = callAllStubs();
  EXPECT_EQ(answers.phenEval, 2.0f);
  EXPECT_EQ(answers.sampleLight, 2.0f);
  EXPECT_EQ(answers.irradiance, 2.0f);
}

std::set<std::string> dynamicSymbols(const std::string& options) {
  const std::string command =
      "nm -D " + options + " '" + testsupport::besideExecutable(VELA_MATTORA_LIBRARY) + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::set<std::string> names;
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t space = text.rfind(' ');
    names.insert(text.substr(space == std::string::npos ? 0 : space + 1));
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return names;
}

TEST(BuiltLibrary, ExportsExactlyItsThreeFunctions) {
  EXPECT_EQ(dynamicSymbols("--defined-only"),
            (std::set<std::string>{"miSetModuleHandle", "vela_mattora", "vela_mattora_version"}));
}

TEST(BuiltLibrary, NeverBindsRendererFunctionsAtLoadTime) {
  for (const std::string& name : dynamicSymbols("--undefined-only"))
    EXPECT_NE(name.rfind("mi_", 0), 0u) << name << " would bind to the renderer's own export";
}

}  // namespace
