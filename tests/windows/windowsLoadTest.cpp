// Both deliverables loaded on Windows the way their hosts load them.
//
// This program plays the mental ray renderer: it exports the three renderer
// functions, loads vela_mattora.dll with LoadLibrary and hands the library its
// own module handle, so the binding's GetProcAddress/GetLastError path is what
// runs. Like a renderer compiled against the published header, it knows the
// render state and the shader record only as bytes at the offsets published
// for this target, and reads and writes them there: the shader library, built
// against the stand-in shader.h, must find dir, normal, shader and ghost_offs
// in those places. It also loads mattora.mll through the stand-in Maya host's
// loader. Expected values are closed forms: with the view and the light at the
// same angle and azimuth the Oren-Nayar factor is (A + B sin t tan t) cos t.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shader.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "mayahost/host.h"
#include "support/besideExecutable.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// The renderer's records as the published header lays them out on this target.

namespace {

#ifdef _WIN64
constexpr std::size_t kStateSize = 352, kStateDir = 108, kStateNormal = 208, kStateShader = 312;
#else
constexpr std::size_t kStateSize = 280, kStateDir = 80, kStateNormal = 180, kStateShader = 256;
#endif
constexpr std::size_t kRecordParameterSize = 88, kRecordGhostOffs = 96, kRecordParameters = 120;

template <typename T>
void put(void* record, std::size_t offset, const T& value) {
  std::memcpy(static_cast<char*>(record) + offset, &value, sizeof value);
}

template <typename T>
T get(const void* record, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
  return value;
}

// ---------------------------------------------------------------------------
// The renderer functions this program exports, scripted by the tests.

struct RendererScript {
  miColor lightColor{1.0f, 1.0f, 1.0f, 1.0f};
  miVector lightDirection{0.0f, 0.0f, 1.0f};
  miColor irradiance{0.0f, 0.0f, 0.0f, 0.0f};
  miColor drivenColor{0.0f, 0.0f, 0.0f, 1.0f};
  int sampleLightCalls = 0;
  int phenEvalCalls = 0;
  int irradianceCalls = 0;
  const miState* phenEvalState = nullptr;
  const void* phenEvalParam = nullptr;
  miVector irradianceNormal{0.0f, 0.0f, 0.0f};
  const miState* irradianceState = nullptr;
};

RendererScript script;

}  // namespace

extern "C" {

__declspec(dllexport) void* mi_phen_eval(miState* state, void* param) {
  ++script.phenEvalCalls;
  script.phenEvalState = state;
  script.phenEvalParam = param;
  return &script.drivenColor;
}

// One sample per light.
__declspec(dllexport) miBoolean mi_sample_light(miColor* result, miVector* dir, miScalar* dot_nl,
                                                miState* state, miTag, miInteger* samples) {
  ++script.sampleLightCalls;
  if (*samples >= 1) return miFALSE;
  *result = script.lightColor;
  *dir = script.lightDirection;
  const miVector n = get<miVector>(state, kStateNormal);
  *dot_nl = n.x * dir->x + n.y * dir->y + n.z * dir->z;
  ++*samples;
  return miTRUE;
}

__declspec(dllexport) miBoolean mi_compute_irradiance(miColor* result, miState* state) {
  ++script.irradianceCalls;
  script.irradianceState = state;
  script.irradianceNormal = get<miVector>(state, kStateNormal);
  *result = script.irradiance;
  return miTRUE;
}

}  // extern "C"

namespace {

constexpr double kPi = 3.14159265358979323846;
// What single-precision arithmetic may leave of a value of order 1.
constexpr double kTolerance = 1e-6;

// The Oren-Nayar factor of a light 36.87 degrees off the normal (cos 0.8,
// sin 0.6, tan 0.75) seen from the same angle and azimuth, for roughness
// sigma, in double from the model's float constants: (A + B sin tan) cos.
double modelFactor(double sigma) {
  const double s = static_cast<float>(sigma * sigma);
  const double A = 1.0 - 0.5 * s / (s + static_cast<double>(0.33f));
  const double B = 0.45 * s / (s + static_cast<double>(0.09f));
  return (A + B * 0.6 * 0.75) * 0.8;
}

// The parameter block the renderer lays out for vela_mattora.mi, written
// here from the declared parameter order and types; the offsets are checked.
struct ShaderParams {
  miColor color;
  miColor ambientColor;
  miColor incandescence;
  miVector normalOffset;
  miScalar diffuse;
  miScalar roughness;
  miBoolean irradiance;
  miColor irradianceColor;
  miInteger i_light;
  miInteger n_light;
  miTag light[1];
};
static_assert(offsetof(ShaderParams, normalOffset) == 48, "block layout");
static_assert(offsetof(ShaderParams, diffuse) == 60, "block layout");
static_assert(offsetof(ShaderParams, irradianceColor) == 72, "block layout");
static_assert(offsetof(ShaderParams, light) == 96, "block layout");

// The shader record with its block inline from its member parameters on,
// followed by the ghost: the tag ghost_offs bytes after a parameter names the
// shader that drives it (0: none).
struct alignas(8) ShaderRecord {
  unsigned char head[kRecordParameters];
  ShaderParams params;
  unsigned char ghost[sizeof(ShaderParams)];
};
static_assert(offsetof(ShaderRecord, params) == kRecordParameters, "record layout");
constexpr int kGhostOffs = offsetof(ShaderRecord, ghost) - offsetof(ShaderRecord, params);

// The render state: bytes, of which the tests fill the ones a shader reads.
struct alignas(8) RenderState {
  unsigned char bytes[kStateSize];
};

using EntryFunction = miBoolean (*)(miColor*, miState*, void*);
using VersionFunction = int (*)();
using SetModuleFunction = int (*)(void*);

// Everything written to the C runtime's stderr while it lives; the shader
// library shares this program's msvcrt.dll, so its messages land here too.
class StderrCapture {
 public:
  StderrCapture() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "mat", 0, path_);
    std::fflush(stderr);
    saved_ = _dup(2);
    const int fd = _open(path_, _O_WRONLY | _O_TRUNC | _O_BINARY, _S_IWRITE);
    _dup2(fd, 2);
    _close(fd);
  }
  ~StderrCapture() { finish(); }
  std::string finish() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      _dup2(saved_, 2);
      _close(saved_);
      saved_ = -1;
      if (FILE* f = std::fopen(path_, "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text_.append(buffer, n);
        std::fclose(f);
      }
      DeleteFileA(path_);
    }
    return text_;
  }

 private:
  char path_[MAX_PATH] = {};
  int saved_ = -1;
  std::string text_;
};

class ShaderLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = LoadLibraryA("vela_mattora.dll");
    ASSERT_NE(library_, nullptr) << "LoadLibrary failed, error " << GetLastError();
    entry_ = reinterpret_cast<EntryFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, "vela_mattora")));
    version_ = reinterpret_cast<VersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, "vela_mattora_version")));
    setModule_ = reinterpret_cast<SetModuleFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, "miSetModuleHandle")));
  }
  static void TearDownTestSuite() {
    if (library_) FreeLibrary(library_);
  }

  void SetUp() override {
    ASSERT_TRUE(entry_ && version_ && setModule_) << "vela_mattora.dll lacks an entry point";
    script = RendererScript{};
    record_ = ShaderRecord{};
    ShaderParams& p = record_.params;
    p.color = {0.5f, 0.25f, 1.0f, 1.0f};
    p.diffuse = 0.75f;
    p.roughness = 0.5f;
    p.n_light = 1;
    p.light[0] = 7;
    put(&record_, kRecordGhostOffs, 0);
    put(&record_, kRecordParameterSize, static_cast<int>(sizeof(ShaderParams)));
    state_ = RenderState{};
    put(&state_, kStateShader, static_cast<const void*>(&record_));
    // The view and the light at the same angle to the normal, in one azimuth.
    put(&state_, kStateDir, miVector{-0.6f, 0.0f, -0.8f});
    put(&state_, kStateNormal, miVector{0.0f, 0.0f, 1.0f});
    script.lightDirection = {0.6f, 0.0f, 0.8f};
    script.lightColor = {1.0f, 0.5f, 0.25f, 1.0f};
  }

  miColor shade() {
    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    EXPECT_EQ(entry_(&result, state(), &record_.params), miTRUE);
    return result;
  }

  miState* state() { return reinterpret_cast<miState*>(&state_); }

  // weight * factor * light * surface, the sample of SetUp().
  double expectedDiffuse(double light, double surface) const {
    return 0.75 * modelFactor(0.5) * light * surface;
  }

  static HMODULE library_;
  static EntryFunction entry_;
  static VersionFunction version_;
  static SetModuleFunction setModule_;
  ShaderRecord record_{};
  RenderState state_{};
};

HMODULE ShaderLibrary::library_ = nullptr;
EntryFunction ShaderLibrary::entry_ = nullptr;
VersionFunction ShaderLibrary::version_ = nullptr;
SetModuleFunction ShaderLibrary::setModule_ = nullptr;

std::string hex8(const void* handle) {
  std::ostringstream out;
  out << std::hex << std::setfill('0') << std::setw(8) << reinterpret_cast<std::uintptr_t>(handle);
  return out.str();
}

std::string dlsymFailed(const char* name, const void* handle, unsigned long error) {
  return std::string("dlsym failed on \"") + name + "\" (handle: " + hex8(handle) +
         " error: " + std::to_string(error) + ")\n";
}

TEST_F(ShaderLibrary, ExportsItsEntriesButNotItsStubs) {
  EXPECT_EQ(version_(), 1);
  EXPECT_EQ(setModule_(nullptr), 0);
  // The stubs carry the renderer functions' names; exported, a renderer
  // could bind them in place of its own.
  for (const char* stub : {"mi_phen_eval", "mi_sample_light", "mi_compute_irradiance"}) {
    EXPECT_EQ(GetProcAddress(library_, stub), nullptr) << stub;
  }
}

// What the binding prints for each module handle the renderer may hand over,
// on the first and on the second shading call, and how many of those calls
// reach this program's mi_sample_light.
TEST_F(ShaderLibrary, LookupMessagesPerModuleHandle) {
  const HMODULE self = GetModuleHandleA(nullptr);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  std::printf("module handles: kernel32 %p, vela_mattora %p\n", static_cast<void*>(kernel),
              static_cast<void*>(library_));

  // Windows looks a name up in the main program when the module is null;
  // the expectation follows what this system's GetProcAddress does.
  SetLastError(0);
  const bool nullFindsProgram = GetProcAddress(nullptr, "mi_sample_light") != nullptr;
  const unsigned long nullError = nullFindsProgram ? 0 : GetLastError();
  std::printf("null module handle: GetProcAddress %s\n",
              nullFindsProgram ? "finds this program's own export" : "fails");
  const std::string dynload = "DYNLOAD: dl_handle null\n";
  const std::string nullLookup =
      nullFindsProgram ? "" : dlsymFailed("mi_sample_light", nullptr, nullError);

  struct Case {
    const char* what;
    HMODULE handle;
    std::string firstCall, secondCall;
    int callsReachingProgram;  // of two shading calls, two light calls each when resolved
  };
  const Case cases[] = {
      {"own module: resolved once, silently", self, "", "", 4},
      {"module without the name: dlsym failed with ERROR_PROC_NOT_FOUND, again next call", kernel,
       dlsymFailed("mi_sample_light", kernel, ERROR_PROC_NOT_FOUND),
       dlsymFailed("mi_sample_light", kernel, ERROR_PROC_NOT_FOUND), 0},
      // The library's own image lies above 4 GiB on x86-64; printed through
      // %08x its handle would lose its upper digits.
      {"module above 4 GiB without the name: the handle at full width", library_,
       dlsymFailed("mi_sample_light", library_, ERROR_PROC_NOT_FOUND),
       dlsymFailed("mi_sample_light", library_, ERROR_PROC_NOT_FOUND), 0},
      {"null handle: DYNLOAD warning, then the lookup all the same", nullptr, dynload + nullLookup,
       nullFindsProgram ? "" : dynload + nullLookup, nullFindsProgram ? 4 : 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    ASSERT_EQ(setModule_(c.handle), 0);
    StderrCapture first;
    const miColor once = shade();
    EXPECT_EQ(first.finish(), c.firstCall);
    StderrCapture second;
    const miColor twice = shade();
    EXPECT_EQ(second.finish(), c.secondCall);
    EXPECT_EQ(script.sampleLightCalls, c.callsReachingProgram);

    // An unresolved light has no samples; a resolved one gives its colour.
    const bool lit = c.callsReachingProgram > 0;
    for (const miColor& r : {once, twice}) {
      EXPECT_NEAR(r.r, lit ? expectedDiffuse(1.0, 0.5) : 0.0, kTolerance);
      EXPECT_NEAR(r.g, lit ? expectedDiffuse(0.5, 0.25) : 0.0, kTolerance);
      EXPECT_NEAR(r.b, lit ? expectedDiffuse(0.25, 1.0) : 0.0, kTolerance);
      EXPECT_EQ(r.a, 1.0f);
    }
  }
}

TEST_F(ShaderLibrary, NewModuleHandleEmptiesTheTable) {
  ASSERT_EQ(setModule_(GetModuleHandleA(nullptr)), 0);
  StderrCapture resolved;
  shade();
  EXPECT_EQ(resolved.finish(), "");
  EXPECT_EQ(script.sampleLightCalls, 2);

  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  ASSERT_EQ(setModule_(kernel), 0);
  StderrCapture emptied;
  shade();
  EXPECT_EQ(emptied.finish(), dlsymFailed("mi_sample_light", kernel, ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(script.sampleLightCalls, 2);
}

// A driven colour and the irradiance term: all three renderer functions are
// reached through GetProcAddress, each with the state the shader owes it.
TEST_F(ShaderLibrary, ResolvedStubsForwardToTheRenderer) {
  ASSERT_EQ(setModule_(GetModuleHandleA(nullptr)), 0);
  ShaderParams& p = record_.params;
  p.color = {9.0f, 9.0f, 9.0f, 9.0f};  // driven: the stored value must not be used
  put(&record_, kRecordGhostOffs, kGhostOffs);
  const miTag checker = 3;
  std::memcpy(record_.ghost + offsetof(ShaderParams, color), &checker, sizeof checker);
  script.drivenColor = {0.5f, 0.25f, 1.0f, 1.0f};
  p.ambientColor = {0.1f, 0.2f, 0.3f, 0.0f};
  p.incandescence = {0.01f, 0.02f, 0.03f, 0.0f};
  p.irradiance = miTRUE;
  p.irradianceColor = {1.0f, 2.0f, 0.5f, 0.0f};
  script.irradiance = {1.0f, 2.0f, 4.0f, 1.0f};

  StderrCapture messages;
  const miColor r = shade();
  EXPECT_EQ(messages.finish(), "");

  EXPECT_EQ(script.phenEvalCalls, 1);
  EXPECT_EQ(script.phenEvalState, state());
  EXPECT_EQ(script.phenEvalParam, &p.color);
  EXPECT_EQ(script.sampleLightCalls, 2);
  EXPECT_EQ(script.irradianceCalls, 1);
  EXPECT_NE(script.irradianceState, state());
  EXPECT_EQ(script.irradianceNormal.z, 1.0f);

  const double surface[] = {0.5, 0.25, 1.0}, light[] = {1.0, 0.5, 0.25};
  const double ambient[] = {0.1, 0.2, 0.3}, glow[] = {0.01, 0.02, 0.03};
  const double tint[] = {1.0, 2.0, 0.5}, irradiance[] = {1.0, 2.0, 4.0};
  const float got[] = {r.r, r.g, r.b};
  for (int i = 0; i < 3; ++i) {
    const double want = expectedDiffuse(light[i], surface[i]) + float(ambient[i]) * surface[i] +
                        float(glow[i]) + irradiance[i] * surface[i] * tint[i] / kPi;
    EXPECT_NEAR(got[i], want, kTolerance) << "component " << i;
  }
  EXPECT_EQ(r.a, 1.0f);
}

// ---------------------------------------------------------------------------
// The Maya plug-in, through the stand-in host's loader.

// Maya loads a plug-in by its full path, found on its plug-in path; the
// build puts the plug-ins beside this program.
std::string pluginPath() { return testsupport::besideExecutable("mattora.mll"); }

// Whether the page holding an address may be run: Windows maps each section
// of an image with the protection its header asks for.
bool onExecutablePage(const void* address) {
  MEMORY_BASIC_INFORMATION page;
  if (VirtualQuery(address, &page, sizeof page) != sizeof page) return false;
  return (page.Protect & (PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                          PAGE_EXECUTE_WRITECOPY)) != 0;
}

TEST(MayaPlugin, LoadRegistersTheNodeAndUnloadRemovesIt) {
  mayahost::clearCommandLog();
  std::string error;
  std::unique_ptr<mayahost::Plugin> plugin = mayahost::Plugin::load(pluginPath(), &error);
  ASSERT_TRUE(plugin) << error;
  EXPECT_EQ(plugin->apiVersion(), MAYA_API);
  EXPECT_EQ(plugin->vendor(), "Orrin : Halvane");
  EXPECT_EQ(plugin->version(), "1.0");
  EXPECT_EQ(plugin->initializeStatus(), mayahost::Status::kSuccess);

  const std::optional<mayahost::NodeType> type = mayahost::findType("mattora");
  ASSERT_TRUE(type);
  EXPECT_EQ(type->id(), 0x84042u);
  EXPECT_EQ(type->kind(), mayahost::kDependNode);
  EXPECT_EQ(type->classification(), std::optional<std::string>("shader/surface"));
  EXPECT_EQ(type->attributes().size(), 12u);

  // MApiVersion is data, as the devkit defines it: the text in a section
  // that holds no code, unlike the entry points.
  HMODULE module = GetModuleHandleA("mattora.mll");
  ASSERT_TRUE(module);
  const auto* version = reinterpret_cast<const char*>(GetProcAddress(module, "MApiVersion"));
  ASSERT_TRUE(version);
  EXPECT_STREQ(version, MAYA_API);
  EXPECT_FALSE(onExecutablePage(version));
  EXPECT_TRUE(
      onExecutablePage(reinterpret_cast<void*>(GetProcAddress(module, "initializePlugin"))));

  // The node's 50 static attribute handles die when Maya unloads the
  // plug-in, not when the process ends.
  const long aliveWhileLoaded = mayahost::liveObjects();
  ASSERT_TRUE(plugin->unload(&error)) << error;
  EXPECT_EQ(aliveWhileLoaded - mayahost::liveObjects(), 50);
  EXPECT_EQ(plugin->uninitializeStatus(), mayahost::Status::kSuccess);
  EXPECT_FALSE(mayahost::findType("mattora"));
  const std::vector<mayahost::Command> commands = mayahost::commandLog();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].text, commands[1].text);
}

// The sample the shader library test shades, as Maya's renderer hands it to
// the node: the same closed form, through the other deliverable.
TEST(MayaPlugin, NodeShadesTheSampleTheShaderLibraryShades) {
  std::string error;
  std::unique_ptr<mayahost::Plugin> plugin = mayahost::Plugin::load(pluginPath(), &error);
  ASSERT_TRUE(plugin) << error;
  const std::optional<mayahost::NodeType> type = mayahost::findType("mattora");
  ASSERT_TRUE(type);
  {
    std::unique_ptr<mayahost::Node> node = mayahost::Node::create(*type, &error);
    ASSERT_TRUE(node) << error;
    EXPECT_TRUE(node->isMPSafe());
    std::unique_ptr<mayahost::DataBlock> block = node->newDataBlock();
    auto attr = [&](const char* name) { return type->attribute(name); };
    EXPECT_TRUE(block->setVector(attr("color"), 0.5f, 0.25f, 1.0f));
    EXPECT_TRUE(block->setFloat(attr("diffuse"), 0.75f));
    EXPECT_TRUE(block->setFloat(attr("roughness"), 0.5f));
    EXPECT_TRUE(block->setVector(attr("normalCamera"), 0.0f, 0.0f, 1.0f));
    EXPECT_TRUE(block->setVector(attr("rayDirection"), -0.6f, 0.0f, -0.8f));
    EXPECT_TRUE(block->setElementCount(attr("lightDataArray"), 1));
    EXPECT_TRUE(block->setVector(attr("lightDirection"), 0.6f, 0.0f, 0.8f, 0));
    EXPECT_TRUE(block->setVector(attr("lightIntensity"), 1.0f, 0.5f, 0.25f, 0));
    EXPECT_TRUE(block->setBool(attr("lightAmbient"), false, 0));
    EXPECT_TRUE(block->setBool(attr("lightDiffuse"), true, 0));
    ASSERT_EQ(block->request(attr("outColor")), mayahost::Status::kSuccess);
    const mayahost::Float3 c = block->getVector(attr("outColor"));
    const double f = modelFactor(0.5);
    EXPECT_NEAR(c.x, 0.5 * 1.0 * f * 0.75, kTolerance);
    EXPECT_NEAR(c.y, 0.25 * 0.5 * f * 0.75, kTolerance);
    EXPECT_NEAR(c.z, 1.0 * 0.25 * f * 0.75, kTolerance);
  }
  ASSERT_TRUE(plugin->unload(&error)) << error;
}

// The function sets' virtual tables, which a plug-in copies from the inline
// constructors, have the published six slots in the published order: the
// destructor, type(), setObject(const MObject&) before setObject(MObject&)
// (the Microsoft ABI reverses a group of overloads), className() and
// objectChanged(), which MFnLightDataAttribute inherits.
TEST(MayaPlugin, FunctionSetTablesHaveThePublishedSlots) {
  const bool wide = sizeof(void*) == 8;
  const std::string object = wide ? "AEBVMObject" : "ABVMObject";
  const std::string status = wide ? "UEAA?AVMStatus@@" : "UAE?AVMStatus@@";
  const auto type = [&](const char* c) {
    return std::string("?type@") + c + (wide ? "@@UEBA?AW4Type@MFn@@XZ" : "@@UBE?AW4Type@MFn@@XZ");
  };
  const auto className = [&](const char* c) {
    return std::string("?className@") + c + (wide ? "@@MEBAPEBDXZ" : "@@MBEPBDXZ");
  };
  const auto objectChanged = [&](const char* c) {
    return std::string("?objectChanged@") + c +
           (wide ? "@@EEAA_NW4Type@MFn@@PEAVMStatus@@@Z" : "@@EAE_NW4Type@MFn@@PAVMStatus@@@Z");
  };
  const std::string setConst = "?setObject@MFnBase@@" + status + object + "@@@Z";
  const std::string setMutable =
      "?setObject@MFnBase@@" + status + (wide ? "AEAVMObject" : "AAVMObject") + "@@@Z";
  const struct {
    const char* table;
    std::vector<std::string> slots;  // from slot 1
  } cases[] = {
      {"MFnNumericAttribute",
       {type("MFnNumericAttribute"), setConst, setMutable, className("MFnNumericAttribute"),
        objectChanged("MFnNumericAttribute")}},
      {"MFnLightDataAttribute",
       {type("MFnLightDataAttribute"), setConst, setMutable, className("MFnLightDataAttribute"),
        objectChanged("MFnAttribute")}},
  };
  std::string error;
  auto plugin = mayahost::Plugin::load(pluginPath(), &error);  // loads OpenMaya.dll
  ASSERT_TRUE(plugin) << error;
  HMODULE openMaya = GetModuleHandleA("OpenMaya.dll");
  ASSERT_TRUE(openMaya);
  for (const auto& c : cases) {
    const std::string name = std::string("??_7") + c.table + "@@6B@";
    const auto* table = reinterpret_cast<void* const*>(GetProcAddress(openMaya, name.c_str()));
    ASSERT_TRUE(table) << name;
    for (std::size_t slot = 1; slot <= c.slots.size(); ++slot)
      EXPECT_EQ(table[slot],
                reinterpret_cast<void*>(GetProcAddress(openMaya, c.slots[slot - 1].c_str())))
          << c.table << " slot " << slot << " should be " << c.slots[slot - 1];
  }
  EXPECT_TRUE(plugin->unload(&error)) << error;
}

// What Maya would refuse, the host refuses with one line naming the file
// and the cause, and nothing of it is registered.
TEST(MayaPlugin, RefusesPluginsItCannotResolve) {
  // The plug-in cut after its headers, whose tables then point past the
  // file's end: the host must read no further than the file.
  {
    std::ifstream in(pluginPath(), std::ios::binary);
    std::vector<char> head(1024);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(testsupport::besideExecutable("truncated.mll"), std::ios::binary)
        .write(head.data(), static_cast<std::streamsize>(head.size()));
  }
  const struct {
    const char* file;
    std::string cause;
  } cases[] = {
      {"truncated.mll", "not a loadable library"},
      {"msabi_missing_import.mll",
       "it imports mattoraTestMissingImport from OpenMaya.dll, which does not export it"},
      {"msabi_missing_marked_import.mll",
       "it imports mattoraTestMissingImport from msabi_marks_loading.dll, which does not export "
       "it"},
      {"msabi_other_api.mll", std::string("built for Maya API \"") + OTHER_API +
                                  "\", and this host runs API \"" + MAYA_API + "\""},
      {"msabi_other_machine.mll",
       sizeof(void*) == 8 ? "it is a 32-bit (i386) DLL" : "it is a 64-bit (x86-64) DLL"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(mayahost::Plugin::load(testsupport::besideExecutable(c.file), &error)) << c.file;
    EXPECT_NE(error.find(c.file), std::string::npos) << error;
    EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  EXPECT_TRUE(mayahost::registeredTypes().empty());
  // The imports are checked against the files, as Windows checks them
  // before it runs anything of a DLL.
  EXPECT_EQ(GetEnvironmentVariableA("MATTORA_DLL_MAIN_RAN", nullptr, 0), 0u)
      << "the import check ran msabi_marks_loading.dll's entry routine";
}

// Nodes Maya could not trust are refused at creation, before the host calls
// anything in them but their type's creator: one whose virtual table has two
// of MPxNode's slots the other way round (a header that strays from the
// published one), and one whose type() is not the kind it registered.
TEST(MayaPlugin, RefusesNodesItCannotTrust) {
  const struct {
    const char* file;
    std::string cause;
  } cases[] = {
      {"msabi_scrambled_node.mll",
       "slot " + std::to_string(MAYA_API == std::string("850") ? 16 : 15) +
           " of its node's virtual table is not ?passThroughToOne@MPxNode@@"},
      {"msabi_wrong_kind.mll", "its type() is not the kind it was registered as"},
  };
  for (const auto& c : cases) {
    std::string error;
    auto plugin = mayahost::Plugin::load(testsupport::besideExecutable(c.file), &error);
    ASSERT_TRUE(plugin) << error;
    const std::optional<mayahost::NodeType> type = mayahost::findType("badPluginNode");
    ASSERT_TRUE(type) << c.file;
    EXPECT_FALSE(mayahost::Node::create(*type, &error)) << c.file;
    EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    EXPECT_TRUE(plugin->unload(&error)) << error;
  }
}

}  // namespace
