// How far the builds for different platforms agree on the reflectance factor.
//
//   agreement_sweep FILE            shade the sweep with both deliverables of
//                                   this build, check they agree, write FILE
//   agreement_sweep --compare NAME=FILE...   report how the files differ
//
// The sweep draws its points with integer arithmetic and normalises them with
// sqrtf and division only, which round correctly on every platform, so every
// build shades the same inputs; the printed hash of their bits shows it, and
// --compare fails on files of different sweeps. The factors themselves are
// reported, not checked: they differ where the maths libraries do.
//
// Each point is shaded through the Maya node and the mental ray shader as
// their stand-in hosts drive them, with white light, white surface and weight
// 1, so both outputs are the factor itself. The normal is +z; view and light
// directions are drawn so that the hosts' own normalising leaves them as
// they are, so both deliverables see exactly the sweep's inputs.
#include "hosts/mentalray/declaration.h"
#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/shaderInstance.h"
#include "hosts/mentalray/shaderLibrary.h"
#include "hosts/mentalray/shadingContext.h"
#include "mayahost/host.h"
#include "support/besideExecutable.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kPoints = 1u << 20;
constexpr char kMagic[8] = {'m', 'a', 't', 'S', 'w', 'e', 'e', 'p'};

// One point of the sweep and its factor, as written to the file.
struct Record {
  float view[3], light[3], sigma, factor;
};

std::uint32_t bitsOf(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

float floatOf(std::uint32_t u) {
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

class Generator {
 public:
  std::uint64_t next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }
  // [0, 1) in steps of 2^-23: a float in [1, 2) from its mantissa bits, minus one.
  float unit() { return floatOf(0x3f800000u | static_cast<std::uint32_t>(next() >> 41)) - 1.0f; }

  // A unit direction the hosts' normalising leaves unchanged (its length
  // rounds to exactly 1), mostly above the surface; one in four is pressed
  // toward the horizon by a power of two between 2^-1 and 2^-20.
  void direction(float out[3]) {
    const std::uint64_t choice = next();
    const bool front = (choice & 7) != 0;
    const float squash = (choice >> 3 & 3) == 0 ? floatOf((126u - (choice >> 5) % 20) << 23) : 1.0f;
    for (;;) {
      float x = 2.0f * unit() - 1.0f, y = 2.0f * unit() - 1.0f, z = unit() * squash;
      if (!front) z = -z;
      const float squared = x * x + y * y + z * z;
      if (squared > 1.0f || squared < 1e-6f) continue;
      const float length = std::sqrt(squared);
      x /= length;
      y /= length;
      z /= length;
      if (std::sqrt(x * x + y * y + z * z) != 1.0f) continue;
      out[0] = x;
      out[1] = y;
      out[2] = z;
      return;
    }
  }

 private:
  std::uint64_t state_ = 0x6d6174746f7261u;
};

std::uint64_t fnv1a(std::uint64_t hash, float f) {
  const std::uint32_t u = bitsOf(f);
  for (int i = 0; i < 4; ++i) hash = (hash ^ ((u >> (8 * i)) & 0xffu)) * 0x100000001b3u;
  return hash;
}

std::uint64_t inputHash(const std::vector<Record>& records) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const Record& r : records) {
    for (float f : r.view) hash = fnv1a(hash, f);
    for (float f : r.light) hash = fnv1a(hash, f);
    hash = fnv1a(hash, r.sigma);
  }
  return hash;
}

// The Maya node through the stand-in host, one data block for every point.
class MayaPath {
 public:
  explicit MayaPath(const std::string& path) {
    std::string error;
    plugin_ = mayahost::Plugin::load(path, &error);
    if (!plugin_) throw std::runtime_error(error);
    type_ = mayahost::findType("mattora");
    if (!type_) throw std::runtime_error("mattora registered no node type");
    node_ = mayahost::Node::create(*type_, &error);
    if (!node_) throw std::runtime_error(error);
    block_ = node_->newDataBlock();
    block_->setVector(type_->attribute("color"), 1.0f, 1.0f, 1.0f);
    block_->setFloat(type_->attribute("diffuse"), 1.0f);
    block_->setVector(type_->attribute("normalCamera"), 0.0f, 0.0f, 1.0f);
    block_->setElementCount(type_->attribute("lightDataArray"), 1);
    block_->setVector(type_->attribute("lightIntensity"), 1.0f, 1.0f, 1.0f, 0);
    block_->setBool(type_->attribute("lightAmbient"), false, 0);
    block_->setBool(type_->attribute("lightDiffuse"), true, 0);
    roughness_ = type_->attribute("roughness");
    ray_ = type_->attribute("rayDirection");
    light_ = type_->attribute("lightDirection");
    out_ = type_->attribute("outColor");
  }
  ~MayaPath() {
    block_.reset();
    node_.reset();
    std::string error;
    if (plugin_) plugin_->unload(&error);
  }

  float factor(const Record& r) {
    block_->setFloat(roughness_, r.sigma);
    block_->setVector(ray_, -r.view[0], -r.view[1], -r.view[2]);
    block_->setVector(light_, r.light[0], r.light[1], r.light[2], 0);
    if (block_->request(out_) != mayahost::Status::kSuccess)
      throw std::runtime_error("outColor failed");
    return block_->getVector(out_).x;
  }

 private:
  std::unique_ptr<mayahost::Plugin> plugin_;
  std::optional<mayahost::NodeType> type_;
  std::unique_ptr<mayahost::Node> node_;
  std::unique_ptr<mayahost::DataBlock> block_;
  mayahost::Attribute roughness_, ray_, light_, out_;
};

// The mental ray shader through the stand-in renderer: a white point light at
// the origin, and each point shaded at -L, so that the light lies along L.
class MentalrayPath {
 public:
  MentalrayPath(const std::string& library, const std::string& declaration)
      : decls_(mrhost::readDeclarationFile(declaration)),
        decl_(mrhost::findDeclaration(decls_, "vela_mattora")),
        library_(library, decl_),
        instance_(decl_) {
    mrhost::clearScene();
    const miColor white{1.0f, 1.0f, 1.0f, 1.0f};
    const miTag light = mrhost::addLight(mrhost::pointLight(white, miVector{0.0f, 0.0f, 0.0f}));
    instance_.setColor("color", white);
    instance_.setScalar("diffuse", 1.0f);
    instance_.setLights("light", {light});
  }
  ~MentalrayPath() { mrhost::clearScene(); }

  float factor(const Record& r) {
    instance_.setScalar("roughness", r.sigma);
    const miVector dir{-r.view[0], -r.view[1], -r.view[2]};
    const miVector point{-r.light[0], -r.light[1], -r.light[2]};
    miState& state = context_.prepare(miVector{0.0f, 0.0f, 0.0f}, dir, point,
                                      miVector{0.0f, 0.0f, 1.0f}, instance_.function());
    miColor result{0.0f, 0.0f, 0.0f, 0.0f};
    library_.shade(&result, &state, instance_.parameters());
    return result.r;
  }

 private:
  std::vector<mrhost::ShaderDecl> decls_;
  const mrhost::ShaderDecl& decl_;
  mrhost::ShaderLibrary library_;
  mrhost::ShaderInstance instance_;
  mrhost::ShadingContext context_;
};

int sweep(const char* file) {
  std::vector<Record> records(kPoints);
  Generator generator;
  for (Record& r : records) {
    generator.direction(r.view);
    generator.direction(r.light);
    r.sigma = 1.5f * generator.unit();
  }
  const std::uint64_t hash = inputHash(records);

  MayaPath maya(testsupport::besideExecutable(MATTORA_PLUGIN_PATH));
  MentalrayPath mentalray(testsupport::besideExecutable(VELA_MATTORA_LIBRARY),
                          testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  std::uint32_t disagreements = 0;
  for (Record& r : records) {
    r.factor = mentalray.factor(r);
    const float node = maya.factor(r);
    if (bitsOf(node) != bitsOf(r.factor) && disagreements++ < 5) {
      std::printf(
          "the deliverables disagree: view (%a %a %a) light (%a %a %a) sigma %a: "
          "Maya node %a, mental ray shader %a\n",
          r.view[0], r.view[1], r.view[2], r.light[0], r.light[1], r.light[2], r.sigma, node,
          r.factor);
    }
  }
  std::printf("sweep of %u points, input hash %016llx; the deliverables disagree on %u\n", kPoints,
              static_cast<unsigned long long>(hash), disagreements);

  FILE* out = std::fopen(file, "wb");
  if (!out || std::fwrite(kMagic, sizeof kMagic, 1, out) != 1 ||
      std::fwrite(&hash, sizeof hash, 1, out) != 1 ||
      std::fwrite(records.data(), sizeof(Record), records.size(), out) != records.size() ||
      std::fclose(out) != 0) {
    std::printf("cannot write %s\n", file);
    return 1;
  }
  return disagreements == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------

struct Sweep {
  std::string name;
  std::uint64_t hash = 0;
  std::vector<Record> records;
};

bool read(const std::string& argument, Sweep& sweep) {
  const std::size_t equals = argument.find('=');
  sweep.name = argument.substr(0, equals);
  const std::string file = argument.substr(equals + 1);
  FILE* in = std::fopen(file.c_str(), "rb");
  char magic[sizeof kMagic];
  sweep.records.resize(kPoints);
  const bool ok = in && std::fread(magic, sizeof magic, 1, in) == 1 &&
                  std::memcmp(magic, kMagic, sizeof magic) == 0 &&
                  std::fread(&sweep.hash, sizeof sweep.hash, 1, in) == 1 &&
                  std::fread(sweep.records.data(), sizeof(Record), kPoints, in) == kPoints &&
                  inputHash(sweep.records) == sweep.hash;
  if (in) std::fclose(in);
  if (!ok) std::printf("%s: not a complete sweep file\n", file.c_str());
  return ok;
}

constexpr double kDegrees = 57.29577951308232;
const char* const kClasses[] = {"lit", "grazing", "view behind", "light behind"};

// Grazing: light or view within 3.6 degrees of the horizon (cosine below 1/16).
int geometryClass(const Record& r) {
  if (!(r.light[2] > 0.0f)) return 3;
  if (!(r.view[2] > 0.0f)) return 2;
  return r.light[2] < 0.0625f || r.view[2] < 0.0625f ? 1 : 0;
}

std::int64_t ordered(float f) {
  const std::int64_t u = bitsOf(f);
  return u & 0x80000000 ? 0x80000000 - u : u;
}

std::string geometry(const Record& r) {
  const double phiL = std::atan2(r.light[1], r.light[0]), phiV = std::atan2(r.view[1], r.view[0]);
  double phi = std::fabs(phiL - phiV) * kDegrees;
  if (phi > 180.0) phi = 360.0 - phi;
  char text[160];
  std::snprintf(text, sizeof text, "%s, theta_i %.4f, theta_r %.4f, phi %.1f deg, sigma %.3f",
                kClasses[geometryClass(r)], std::acos(double(r.light[2])) * kDegrees,
                std::acos(double(r.view[2])) * kDegrees, phi, double(r.sigma));
  return text;
}

void comparePair(const Sweep& a, const Sweep& b) {
  std::uint32_t differing = 0, perClass[4] = {}, total[4] = {};
  std::int64_t worstUlps = 0, classUlps[4] = {};
  double worstRelative = 0.0;
  const Record *ulpsAt = nullptr, *relativeAt = nullptr;
  for (std::uint32_t i = 0; i < kPoints; ++i) {
    const Record &x = a.records[i], &y = b.records[i];
    const int c = geometryClass(x);
    ++total[c];
    if (bitsOf(x.factor) == bitsOf(y.factor)) continue;
    ++differing;
    ++perClass[c];
    const std::int64_t ulps = std::llabs(ordered(x.factor) - ordered(y.factor));
    const double big = std::fmax(std::fabs(double(x.factor)), std::fabs(double(y.factor)));
    const double relative = std::fabs(double(x.factor) - double(y.factor)) / big;
    if (ulps > classUlps[c]) classUlps[c] = ulps;
    if (ulps > worstUlps) worstUlps = ulps, ulpsAt = &x;
    if (relative > worstRelative) worstRelative = relative, relativeAt = &x;
  }
  std::printf("%s vs %s: %u of %u factors differ (%.2f%%)", a.name.c_str(), b.name.c_str(),
              differing, kPoints, 100.0 * differing / kPoints);
  std::printf("\n");
  for (int c = 0; c < 4; ++c) {
    std::printf("  %-12s %7u of %7u differ, by up to %lld ulps\n", kClasses[c], perClass[c],
                total[c], static_cast<long long>(classUlps[c]));
  }
  if (ulpsAt) {
    std::printf("  largest: %lld ulps at %s\n", static_cast<long long>(worstUlps),
                geometry(*ulpsAt).c_str());
    std::printf("  largest relative: %.3g at %s\n", worstRelative, geometry(*relativeAt).c_str());
  }
}

int compare(int count, char** arguments) {
  std::vector<Sweep> sweeps(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    if (!read(arguments[i], sweeps[static_cast<std::size_t>(i)])) return 1;
  for (const Sweep& s : sweeps) {
    if (s.hash != sweeps[0].hash) {
      std::printf("%s swept other inputs than %s (input hash %016llx, not %016llx)\n",
                  s.name.c_str(), sweeps[0].name.c_str(), static_cast<unsigned long long>(s.hash),
                  static_cast<unsigned long long>(sweeps[0].hash));
      return 1;
    }
  }
  std::printf("same sweep everywhere: %u points, input hash %016llx\n", kPoints,
              static_cast<unsigned long long>(sweeps[0].hash));
  for (std::size_t i = 0; i < sweeps.size(); ++i)
    for (std::size_t j = i + 1; j < sweeps.size(); ++j) comparePair(sweeps[i], sweeps[j]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 3 && std::strcmp(argv[1], "--compare") == 0) return compare(argc - 2, argv + 2);
    if (argc == 2) return sweep(argv[1]);
  } catch (const std::exception& e) {
    std::printf("%s\n", e.what());
    return 1;
  }
  std::printf("usage: agreement_sweep FILE | agreement_sweep --compare NAME=FILE...\n");
  return 2;
}
