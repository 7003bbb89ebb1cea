// The command line of mattora-preview.
#pragma once

#include "preview/scene.h"

#include <string>
#include <vector>

namespace preview {

// Difference is mattora-lookdev's only: both hosts render, and the picture is
// their absolute difference.
enum class Host { Maya, Mentalray, Both, Difference };

// The name --host takes for it: "maya", "mentalray", "both" or "difference".
const char* hostName(Host host);

// Chosen by the output's extension.
enum class OutputFormat { Png, Exr };

// A look for a host: MEL for Maya, a shader statement for mental ray.
enum class LookFormat { None, Mel, Mi };

// "mel" or "mi"; false for any other name.
bool lookFormatFromName(const std::string& name, LookFormat& format);

struct Options {
  Host host = Host::Both;
  std::vector<float> roughness{0.0f, 0.25f, 0.5f, 1.0f};
  Rgb color{0.5f, 0.5f, 0.5f};
  float diffuse = 0.8f;
  float translucence = 0.0f;
  LightPreset lights = LightPreset::Studio;
  int width = 640;  // of one host's row
  int height = 160;
  int samplesPerPixel = 4;
  int threads = 0;  // 0: one per core
  std::string output = "mattora-preview.png";
  OutputFormat format = OutputFormat::Png;
  // The plug-in files; empty: the ones the build put next to this program.
  std::string mayaPlugin;
  std::string mentalrayLibrary;  // its vela_mattora.mi is read from the same folder
  // mattora-preview only: the look to write beside the picture.
  LookFormat exportFormat = LookFormat::None;
  std::string exportPath;
  // Honoured by the mental ray path only.
  bool irradiance = false;
  bool texture = false;
  // mattora-lookdev only. The key light, when set, becomes a directional
  // light from `keyLight` (toward the light, camera space, unit length).
  bool hasKeyLight = false;
  Vec3 keyLight{0.0f, 0.0f, 1.0f};
  // Whose requests supersede one another; empty: none.
  std::string client;
  // A frame soon replaced by a refined one: rendered at half the size in
  // each direction, scaled up to the size asked for, and encoded for speed.
  bool quick = false;
};

// Who reads the options: mattora-preview's command line, or a request to
// mattora-lookdev, whose parameters are the same options by name (without the
// dashes) less those that choose files or threads, plus its own: --host
// difference, --key-light, --format, --client and --quick.
enum class Front { Preview, Lookdev };

// One option, as both fronts read it: --NAME on mattora-preview's command
// line, the parameter NAME of a request to mattora-lookdev.
struct OptionEntry {
  const char* name;      // without the dashes
  const char* typeName;  // the value's form in --help; empty for a flag
  const char* help;
  bool preview;  // on mattora-preview's command line
  bool request;  // a parameter of a mattora-lookdev request
  int values;    // 0: a flag; 1; 2 (--export FORMAT FILE)
  // Reads the values into `o` as `front` takes them (a flag: none on the
  // command line, its one request value). Empty when taken; else the problem
  // as it follows the option's name: "'abc': expected ...", "needs a ...".
  std::string (*read)(const std::vector<std::string>& values, Front front, Options& o);
};

// Every option of both fronts, in the order --help lists them.
const std::vector<OptionEntry>& optionTable();

// The option a request parameter of that name sets, or nullptr when a
// request has no such parameter.
const OptionEntry* requestParameter(const std::string& name);

// A request's starting point: the lookdev page's defaults, one sphere of
// roughness 0.5 in a 400x400 view.
Options lookdevDefaults();

// Limits beyond which an option is refused rather than attempted.
inline constexpr int kMaxSide = 8192;
inline constexpr long long kMaxPixels = 4096LL * 1024;
inline constexpr int kMaxSpheres = 16;
inline constexpr int kMaxSamplesPerPixel = 1024;
inline constexpr int kMaxThreads = 256;

struct ParseResult {
  enum class Action { Render, Help, Fail };
  Action action = Action::Render;
  Options options;
  std::string error;  // Fail: one line naming the problem
  std::string help;   // Help: the text to print
};

// mattora-preview's command line; `args` are the arguments after the program
// name. Options take their value as the next argument or after '='
// ("--size 320x80", "--size=320x80").
ParseResult parseOptions(const std::vector<std::string>& args);

// The number of render threads used when --threads is not given.
int defaultThreadCount();

}  // namespace preview
