#include "preview/options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace preview {

namespace {

bool parseFloat(const std::string& text, float& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const float parsed = std::strtof(text.c_str(), &end);
  // Overflow shows as infinity; an underflow to a tiny or zero value is fine.
  if (*end != '\0' || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool parseInt(const std::string& text, int low, int high, int& value) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])))) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

std::vector<std::string> splitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// Each returns an empty string on success, else the problem.
std::string parseHost(const std::string& text, Host& host) {
  if (text == "maya")
    host = Host::Maya;
  else if (text == "mentalray")
    host = Host::Mentalray;
  else if (text == "both")
    host = Host::Both;
  else
    return "--host " + quoted(text) + ": expected maya, mentalray or both";
  return {};
}

std::string parseRoughness(const std::string& text, std::vector<float>& roughness) {
  const std::vector<std::string> parts = splitCommas(text);
  if (static_cast<int>(parts.size()) > kMaxSpheres)
    return "--roughness " + quoted(text) + ": at most " + std::to_string(kMaxSpheres) + " values";
  std::vector<float> values;
  for (const std::string& part : parts) {
    float value;
    if (!parseFloat(part, value))
      return "--roughness " + quoted(text) + ": " + quoted(part) +
             " is not a finite number; expected a comma-separated list such as 0,0.5,1";
    values.push_back(value);
  }
  roughness = values;
  return {};
}

std::string parseColor(const std::string& text, Rgb& color) {
  const std::vector<std::string> parts = splitCommas(text);
  float v[3];
  bool ok = parts.size() == 1 || parts.size() == 3;
  for (size_t i = 0; ok && i < parts.size(); ++i) ok = parseFloat(parts[i], v[i]);
  if (!ok) return "--color " + quoted(text) + ": expected R,G,B or one grey value, finite numbers";
  color = parts.size() == 1 ? Rgb{v[0], v[0], v[0]} : Rgb{v[0], v[1], v[2]};
  return {};
}

std::string parseScalar(const std::string& name, const std::string& text, float& value) {
  if (!parseFloat(text, value)) return name + " " + quoted(text) + ": expected a finite number";
  return {};
}

std::string parseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  int w = 0, h = 0;
  if (x == std::string::npos || !parseInt(text.substr(0, x), 1, kMaxSide, w) ||
      !parseInt(text.substr(x + 1), 1, kMaxSide, h))
    return "--size " + quoted(text) + ": expected WIDTHxHEIGHT, each from 1 to " +
           std::to_string(kMaxSide);
  if (static_cast<long long>(w) * h > kMaxPixels)
    return "--size " + quoted(text) + ": more than " + std::to_string(kMaxPixels) +
           " pixels per row";
  width = w;
  height = h;
  return {};
}

std::string parseCount(const std::string& name, const std::string& text, int high, int& value) {
  if (!parseInt(text, 1, high, value))
    return name + " " + quoted(text) + ": expected a whole number from 1 to " +
           std::to_string(high);
  return {};
}

std::string parseOutput(const std::string& text, std::string& output) {
  const std::string extension = ".png";
  if (text.size() <= extension.size() ||
      text.compare(text.size() - extension.size(), extension.size(), extension) != 0 ||
      text.back() == '/' || text[text.size() - extension.size() - 1] == '/')
    return "--output " + quoted(text) + ": expected the path of a .png file";
  output = text;
  return {};
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args) {
  ParseResult result;
  Options& o = result.options;
  auto fail = [&result](const std::string& error) {
    result.action = ParseResult::Action::Fail;
    result.error = error;
    return result;
  };

  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }

    if (name == "--help" || name == "-h") {
      if (hasValue) return fail(name + " takes no value");
      result.action = ParseResult::Action::Help;
      return result;
    }
    if (name == "--irradiance" || name == "--texture") {
      if (hasValue) return fail(name + " takes no value");
      (name == "--irradiance" ? o.irradiance : o.texture) = true;
      continue;
    }

    const bool takesValue = name == "--host" || name == "--roughness" || name == "--color" ||
                            name == "--diffuse" || name == "--translucence" || name == "--lights" ||
                            name == "--size" || name == "--spp" || name == "--threads" ||
                            name == "--output" || name == "--maya-plugin" ||
                            name == "--mentalray-library";
    if (!takesValue) {
      if (name.compare(0, 1, "-") == 0) return fail("unknown option " + quoted(name));
      return fail("unexpected argument " + quoted(name));
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) return fail(name + " needs a value");
      value = args[++i];
    }

    std::string error;
    if (name == "--host")
      error = parseHost(value, o.host);
    else if (name == "--roughness")
      error = parseRoughness(value, o.roughness);
    else if (name == "--color")
      error = parseColor(value, o.color);
    else if (name == "--diffuse")
      error = parseScalar(name, value, o.diffuse);
    else if (name == "--translucence")
      error = parseScalar(name, value, o.translucence);
    else if (name == "--lights") {
      if (!lightPresetFromName(value, o.lights))
        error = "--lights " + quoted(value) + ": expected key, side, studio or area";
    } else if (name == "--size")
      error = parseSize(value, o.width, o.height);
    else if (name == "--spp")
      error = parseCount(name, value, kMaxSamplesPerPixel, o.samplesPerPixel);
    else if (name == "--threads")
      error = parseCount(name, value, kMaxThreads, o.threads);
    else if (name == "--maya-plugin" || name == "--mentalray-library") {
      if (value.empty())
        error = name + " needs a file path";
      else
        (name == "--maya-plugin" ? o.mayaPlugin : o.mentalrayLibrary) = value;
    } else
      error = parseOutput(value, o.output);
    if (!error.empty()) return fail(error);
  }
  return result;
}

std::string helpText() {
  return "Usage: mattora-preview [options]\n"
         "Renders a row of spheres in the mattora material, shaded through the built Maya\n"
         "plug-in and the mental ray shader library, and writes the picture as a PNG.\n"
         "\n"
         "  --host maya|mentalray|both  which host shades the spheres (default: both, stacked\n"
         "                              as two labelled rows)\n"
         "  --roughness LIST            comma-separated roughness, one sphere each\n"
         "                              (default: 0,0.25,0.5,1)\n"
         "  --color R,G,B               surface colour, linear; one value for a grey\n"
         "                              (default: 0.5,0.5,0.5)\n"
         "  --diffuse X                 diffuse weight (default: 0.8)\n"
         "  --translucence X            translucence weight, Maya only (default: 0)\n"
         "  --lights PRESET             key: one light beside the camera; side: one light\n"
         "                              from the right; studio: key and side; area: key,\n"
         "                              side and a 16-sample rectangular area light\n"
         "                              (default: studio)\n"
         "  --size WIDTHxHEIGHT         size of each host's row in pixels (default: 640x160)\n"
         "  --spp N                     samples per pixel (default: 4)\n"
         "  --threads N                 render threads (default: all cores)\n"
         "  --output PATH               the PNG to write (default: mattora-preview.png)\n"
         "  --irradiance                mental ray only: add the renderer's irradiance term\n"
         "  --texture                   mental ray only: drive the colour by a checker\n"
         "  --maya-plugin FILE          the mattora plug-in to load (default: the one built\n"
         "                              with this program)\n"
         "  --mentalray-library FILE    the vela_mattora library to load, with the\n"
         "                              vela_mattora.mi beside it (default: the one built\n"
         "                              with this program)\n"
         "  --help                      show this text and exit\n"
         "\n"
         "Values may also follow an '=' (--size=320x80). The summary line goes to standard\n"
         "output, the progress bar to standard error when it is a terminal.\n";
}

int defaultThreadCount() {
  const unsigned int cores = std::thread::hardware_concurrency();
  if (cores == 0) return 1;
  return cores > static_cast<unsigned int>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

}  // namespace preview
