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
};

// Who reads the options: mattora-preview's command line, or a request to
// mattora-lookdev, whose parameters are the same options by name (without the
// dashes) less those that choose files or threads, plus its own: --host
// difference, --key-light, --format and --client.
enum class Front { Preview, Lookdev };

// The request parameters the lookdev server takes, each the option of that
// name; flags take 1, true or an empty value (on) and 0 or false (off).
inline constexpr const char* kRequestParameters[] = {
    "host", "roughness",  "color",   "diffuse",   "translucence", "lights", "size",
    "spp",  "irradiance", "texture", "key-light", "format",       "client"};
bool isFlagParameter(const std::string& name);

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

// `args` are the arguments after the program name. Options take their value
// as the next argument or after '=' ("--size 320x80", "--size=320x80").
// With Front::Lookdev the defaults are the lookdev page's (one sphere of
// roughness 0.5, a square view) and the options it lacks are unknown.
ParseResult parseOptions(const std::vector<std::string>& args, Front front = Front::Preview);

// The number of render threads used when --threads is not given.
int defaultThreadCount();

}  // namespace preview
