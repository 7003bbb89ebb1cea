// The command line of mattora-preview.
#pragma once

#include "preview/scene.h"

#include <string>
#include <vector>

namespace preview {

enum class Host { Maya, Mentalray, Both };

// The name --host takes for it: "maya", "mentalray" or "both".
const char* hostName(Host host);

// Chosen by the output's extension.
enum class OutputFormat { Png, Exr };

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
  // Honoured by the mental ray path only.
  bool irradiance = false;
  bool texture = false;
};

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
ParseResult parseOptions(const std::vector<std::string>& args);

// The number of render threads used when --threads is not given.
int defaultThreadCount();

}  // namespace preview
