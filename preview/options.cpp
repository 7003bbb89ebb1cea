#include "preview/options.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

namespace preview {

namespace {

bool parseFloat(const std::string& text, float& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const float parsed = std::strtof(text.c_str(), &end);
  // Overflow shows as infinity; an underflow to a tiny or zero value is fine.
  // The end is the string's own, not the first NUL, which a request can hold.
  if (end != text.c_str() + text.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool parseInt(const std::string& text, int low, int high, int& value) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])))) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || errno == ERANGE || parsed < low || parsed > high)
    return false;
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
std::string parseHost(const std::string& text, Front front, Host& host) {
  for (Host h : {Host::Maya, Host::Mentalray, Host::Both, Host::Difference}) {
    if (h == Host::Difference && front != Front::Lookdev) continue;
    if (text == hostName(h)) {
      host = h;
      return {};
    }
  }
  return "--host " + quoted(text) + ": expected maya, mentalray" +
         (front == Front::Lookdev ? ", both or difference" : " or both");
}

// A direction toward the light; any length but zero, made unit length.
std::string parseDirection(const std::string& text, Vec3& direction) {
  const std::vector<std::string> parts = splitCommas(text);
  float v[3];
  bool ok = parts.size() == 3;
  for (size_t i = 0; ok && i < parts.size(); ++i) ok = parseFloat(parts[i], v[i]);
  // Squares in double: a finite float component can overflow a float square.
  const double length =
      ok ? std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]) : 0.0;
  if (!(length > 0.0) || !std::isfinite(length))
    return "--key-light " + quoted(text) +
           ": expected X,Y,Z, finite numbers not all zero (toward the light, camera space)";
  direction = Vec3{static_cast<float>(v[0] / length), static_cast<float>(v[1] / length),
                   static_cast<float>(v[2] / length)};
  return {};
}

// Names a page's tab: short, and nothing that could carry markup or a path.
std::string parseClient(const std::string& text, std::string& client) {
  bool ok = !text.empty() && text.size() <= 64;
  for (const char c : text)
    ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_');
  if (!ok) return "--client " + quoted(text) + ": expected 1 to 64 letters, digits, '-' or '_'";
  client = text;
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

std::string parsePath(const std::string& name, const std::string& text, std::string& path) {
  if (text.empty()) return name + " needs a file path";
  path = text;
  return {};
}

std::string parseCount(const std::string& name, const std::string& text, int high, int& value) {
  if (!parseInt(text, 1, high, value))
    return name + " " + quoted(text) + ": expected a whole number from 1 to " +
           std::to_string(high);
  return {};
}

std::string parseOutput(const std::string& text, std::string& output, OutputFormat& format) {
  const size_t slash = text.rfind('/');
  const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
  if (extension == ".png")
    format = OutputFormat::Png;
  else if (extension == ".exr")
    format = OutputFormat::Exr;
  else
    return "--output " + quoted(text) + ": expected the path of a .png or .exr file";
  output = text;
  return {};
}

const char* kDescription =
    "Renders a row of spheres in the mattora material, shaded through the built Maya\n"
    "plug-in and the mental ray shader library, and writes the picture: an 8-bit sRGB\n"
    "PNG, or with --output NAME.exr linear 32-bit float OpenEXR.\n";

const char* kFooter =
    "Values may also follow an '=' (--size=320x80). The summary line goes to standard\n"
    "output, the progress bar to standard error when it is a terminal.";

// Every value goes through the parsers above, so the messages name the value
// as given; the library does the rest of the command line.
void addOptions(CLI::App& app, Options& o, Front front) {
  const bool lookdev = front == Front::Lookdev;
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  auto add = [&app](const char* name, const char* type, const char* text,
                    std::function<std::string(const std::string&)> parse) {
    app.add_option_function<std::string>(
           name,
           [parse](const std::string& value) {
             const std::string problem = parse(value);
             if (!problem.empty()) throw CLI::ValidationError(problem);
           },
           text)
        ->type_name(type);
  };
  add("--host", "maya|mentalray|both",
      "which host shades the spheres (default: both, stacked as two labelled rows)",
      [&o, front](const std::string& v) { return parseHost(v, front, o.host); });
  add("--roughness", "LIST", "comma-separated roughness, one sphere each (default: 0,0.25,0.5,1)",
      [&o](const std::string& v) { return parseRoughness(v, o.roughness); });
  add("--color", "R,G,B", "surface colour, linear; one value for a grey (default: 0.5,0.5,0.5)",
      [&o](const std::string& v) { return parseColor(v, o.color); });
  add("--diffuse", "X", "diffuse weight (default: 0.8)",
      [&o](const std::string& v) { return parseScalar("--diffuse", v, o.diffuse); });
  add("--translucence", "X", "translucence weight, Maya only (default: 0)",
      [&o](const std::string& v) { return parseScalar("--translucence", v, o.translucence); });
  add("--lights", "PRESET",
      "key: one light beside the camera; side: one light from the right; studio: key and "
      "side; area: key, side and a 16-sample rectangular area light (default: studio)",
      [&o](const std::string& v) -> std::string {
        if (lightPresetFromName(v, o.lights)) return {};
        return "--lights " + quoted(v) + ": expected key, side, studio or area";
      });
  add("--size", "WIDTHxHEIGHT", "size of each host's row in pixels (default: 640x160)",
      [&o](const std::string& v) { return parseSize(v, o.width, o.height); });
  add("--spp", "N", "samples per pixel (default: 4)", [&o](const std::string& v) {
    return parseCount("--spp", v, kMaxSamplesPerPixel, o.samplesPerPixel);
  });
  if (!lookdev) {
    add("--threads", "N", "render threads (default: all cores)",
        [&o](const std::string& v) { return parseCount("--threads", v, kMaxThreads, o.threads); });
    add("--output", "PATH",
        "the picture to write, .png or .exr by its extension (default: mattora-preview.png)",
        [&o](const std::string& v) { return parseOutput(v, o.output, o.format); });
  }
  app.add_flag("--irradiance", o.irradiance, "mental ray only: add the renderer's irradiance term")
      ->disable_flag_override();
  app.add_flag("--texture", o.texture, "mental ray only: drive the colour by a checker")
      ->disable_flag_override();
  if (lookdev) {
    add("--key-light", "X,Y,Z", "the key light as a directional light from this direction",
        [&o](const std::string& v) {
          o.hasKeyLight = true;
          return parseDirection(v, o.keyLight);
        });
    add("--format", "png|exr", "the picture's format (default: png)",
        [&o](const std::string& v) -> std::string {
          if (v == "png")
            o.format = OutputFormat::Png;
          else if (v == "exr")
            o.format = OutputFormat::Exr;
          else
            return "--format " + quoted(v) + ": expected png or exr";
          return {};
        });
    add("--client", "NAME", "requests of one client supersede each other",
        [&o](const std::string& v) { return parseClient(v, o.client); });
    app.allow_extras();
    return;
  }
  app.add_option_function<std::vector<std::string>>(
         "--export",
         [&o](const std::vector<std::string>& v) {
           if (v.size() != 2 || !lookFormatFromName(v[0], o.exportFormat))
             throw CLI::ValidationError("--export " + quoted(v.empty() ? "" : v[0]) +
                                        ": expected mel or mi, then a file");
           if (v[1].empty()) throw CLI::ValidationError("--export needs a file path");
           o.exportPath = v[1];
         },
         "also write the material as a look: mel, a script that makes a mattora node in Maya; "
         "mi, a vela_mattora shader statement for mental ray")
      ->type_name("mel|mi FILE")
      ->expected(2);
  add("--maya-plugin", "FILE",
      "the mattora plug-in to load (default: the one built with this program)",
      [&o](const std::string& v) { return parsePath("--maya-plugin", v, o.mayaPlugin); });
  add("--mentalray-library", "FILE",
      "the vela_mattora library to load, with the vela_mattora.mi beside it (default: the one "
      "built with this program)",
      [&o](const std::string& v) {
        return parsePath("--mentalray-library", v, o.mentalrayLibrary);
      });
  app.footer(kFooter);
  app.allow_extras();  // reported below, in the words of the other messages
}

// The name of the option a library message is about: it starts "--name:".
std::string optionNamed(const CLI::App& app, const std::string& message) {
  for (const CLI::Option* option : app.get_options()) {
    const std::string name = option->get_name(false, true);
    if (message.compare(0, name.size() + 1, name + ":") == 0 ||
        message.rfind(name.substr(2) + " ", 0) == 0)
      return name;
  }
  return {};
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args, Front front) {
  ParseResult result;
  if (front == Front::Lookdev) {
    result.options.roughness = {0.5f};
    result.options.width = result.options.height = 400;
  }
  CLI::App app{kDescription, front == Front::Lookdev ? "mattora-lookdev" : "mattora-preview"};
  if (front == Front::Lookdev) app.set_help_flag();
  addOptions(app, result.options, front);
  auto fail = [&result](const std::string& error) {
    result.action = ParseResult::Action::Fail;
    result.error = error;
    return result;
  };

  std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    result.action = ParseResult::Action::Help;
    result.help = app.help();
    return result;
  } catch (const CLI::ArgumentMismatch& e) {
    const std::string name = optionNamed(app, e.what());
    if (name == "--irradiance" || name == "--texture") return fail(name + " takes no value");
    if (name == "--maya-plugin" || name == "--mentalray-library")
      return fail(name + " needs a file path");
    if (name == "--export") return fail("--export needs a format, mel or mi, and a file");
    if (!name.empty()) return fail(name + " needs a value");
    return fail(e.what());
  } catch (const CLI::ParseError& e) {
    return fail(e.what());
  }
  if (!app.remaining().empty()) {
    const std::string extra = app.remaining().front();
    if (extra.rfind("-", 0) == 0)
      return fail("unknown option " + quoted(extra.substr(0, extra.find('='))));
    return fail("unexpected argument " + quoted(extra));
  }
  return result;
}

int defaultThreadCount() {
  const unsigned int cores = std::thread::hardware_concurrency();
  if (cores == 0) return 1;
  return cores > static_cast<unsigned int>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

const char* hostName(Host host) {
  switch (host) {
    case Host::Maya:
      return "maya";
    case Host::Mentalray:
      return "mentalray";
    case Host::Difference:
      return "difference";
    case Host::Both:
      break;
  }
  return "both";
}

bool lookFormatFromName(const std::string& name, LookFormat& format) {
  if (name == "mel")
    format = LookFormat::Mel;
  else if (name == "mi")
    format = LookFormat::Mi;
  else
    return false;
  return true;
}

bool isFlagParameter(const std::string& name) { return name == "irradiance" || name == "texture"; }

}  // namespace preview
