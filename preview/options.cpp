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

// The problem with a value, as it follows the option's name.
std::string refused(const std::string& text, const std::string& expected) {
  return quoted(text) + ": " + expected;
}

// Each reader below returns an empty string on success, else the problem.
std::string readHost(const std::string& text, Front front, Host& host) {
  for (Host h : {Host::Maya, Host::Mentalray, Host::Both, Host::Difference}) {
    if (h == Host::Difference && front != Front::Lookdev) continue;
    if (text == hostName(h)) {
      host = h;
      return {};
    }
  }
  return refused(text, std::string("expected maya, mentalray") +
                           (front == Front::Lookdev ? ", both or difference" : " or both"));
}

// A direction toward the light; any length but zero, made unit length.
std::string readDirection(const std::string& text, Vec3& direction) {
  const std::vector<std::string> parts = splitCommas(text);
  float v[3];
  bool ok = parts.size() == 3;
  for (size_t i = 0; ok && i < parts.size(); ++i) ok = parseFloat(parts[i], v[i]);
  // Squares in double: a finite float component can overflow a float square.
  const double length =
      ok ? std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]) : 0.0;
  if (!(length > 0.0) || !std::isfinite(length))
    return refused(text,
                   "expected X,Y,Z, finite numbers not all zero (toward the light, camera space)");
  direction = Vec3{static_cast<float>(v[0] / length), static_cast<float>(v[1] / length),
                   static_cast<float>(v[2] / length)};
  return {};
}

// Names a page's tab: short, and nothing that could carry markup or a path.
std::string readClient(const std::string& text, std::string& client) {
  bool ok = !text.empty() && text.size() <= 64;
  for (const char c : text)
    ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_');
  if (!ok) return refused(text, "expected 1 to 64 letters, digits, '-' or '_'");
  client = text;
  return {};
}

std::string readRoughness(const std::string& text, std::vector<float>& roughness) {
  const std::vector<std::string> parts = splitCommas(text);
  if (static_cast<int>(parts.size()) > kMaxSpheres)
    return refused(text, "at most " + std::to_string(kMaxSpheres) + " values");
  std::vector<float> values;
  for (const std::string& part : parts) {
    float value;
    if (!parseFloat(part, value))
      return refused(text, quoted(part) +
                               " is not a finite number; expected a comma-separated list such as "
                               "0,0.5,1");
    values.push_back(value);
  }
  roughness = values;
  return {};
}

std::string readColor(const std::string& text, Rgb& color) {
  const std::vector<std::string> parts = splitCommas(text);
  float v[3];
  bool ok = parts.size() == 1 || parts.size() == 3;
  for (size_t i = 0; ok && i < parts.size(); ++i) ok = parseFloat(parts[i], v[i]);
  if (!ok) return refused(text, "expected R,G,B or one grey value, finite numbers");
  color = parts.size() == 1 ? Rgb{v[0], v[0], v[0]} : Rgb{v[0], v[1], v[2]};
  return {};
}

std::string readScalar(const std::string& text, float& value) {
  if (!parseFloat(text, value)) return refused(text, "expected a finite number");
  return {};
}

std::string readSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  int w = 0, h = 0;
  if (x == std::string::npos || !parseInt(text.substr(0, x), 1, kMaxSide, w) ||
      !parseInt(text.substr(x + 1), 1, kMaxSide, h))
    return refused(text, "expected WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxSide));
  if (static_cast<long long>(w) * h > kMaxPixels)
    return refused(text, "more than " + std::to_string(kMaxPixels) + " pixels per row");
  width = w;
  height = h;
  return {};
}

std::string readPath(const std::string& text, std::string& path) {
  if (text.empty()) return "needs a file path";
  path = text;
  return {};
}

std::string readCount(const std::string& text, int high, int& value) {
  if (!parseInt(text, 1, high, value))
    return refused(text, "expected a whole number from 1 to " + std::to_string(high));
  return {};
}

std::string readOutput(const std::string& text, std::string& output, OutputFormat& format) {
  const size_t slash = text.rfind('/');
  const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
  if (extension == ".png")
    format = OutputFormat::Png;
  else if (extension == ".exr")
    format = OutputFormat::Exr;
  else
    return refused(text, "expected the path of a .png or .exr file");
  output = text;
  return {};
}

// A flag: on when given on the command line; in a request, 1, true or empty
// for on and 0 or false for off.
std::string readFlag(const std::vector<std::string>& values, bool& flag) {
  const std::string value = values.empty() ? "1" : values.front();
  if (value.empty() || value == "1" || value == "true")
    flag = true;
  else if (value == "0" || value == "false")
    flag = false;
  else
    return refused(value, "expected 1, true, 0 or false");
  return {};
}

// The table's readers: one value each, except flags and --export.
using Values = std::vector<std::string>;

const std::vector<OptionEntry> kOptions = {
    {"host", "maya|mentalray|both",
     "which host shades the spheres (default: both, stacked as two labelled rows)", true, true, 1,
     [](const Values& v, Front f, Options& o) { return readHost(v[0], f, o.host); }},
    {"roughness", "LIST", "comma-separated roughness, one sphere each (default: 0,0.25,0.5,1)",
     true, true, 1,
     [](const Values& v, Front, Options& o) { return readRoughness(v[0], o.roughness); }},
    {"color", "R,G,B", "surface colour, linear; one value for a grey (default: 0.5,0.5,0.5)", true,
     true, 1, [](const Values& v, Front, Options& o) { return readColor(v[0], o.color); }},
    {"diffuse", "X", "diffuse weight (default: 0.8)", true, true, 1,
     [](const Values& v, Front, Options& o) { return readScalar(v[0], o.diffuse); }},
    {"translucence", "X", "translucence weight, Maya only (default: 0)", true, true, 1,
     [](const Values& v, Front, Options& o) { return readScalar(v[0], o.translucence); }},
    {"lights", "PRESET",
     "key: one light beside the camera; side: one light from the right; studio: key and side; "
     "area: key, side and a 16-sample rectangular area light (default: studio)",
     true, true, 1,
     [](const Values& v, Front, Options& o) -> std::string {
       if (lightPresetFromName(v[0], o.lights)) return {};
       return refused(v[0], "expected key, side, studio or area");
     }},
    {"size", "WIDTHxHEIGHT", "size of each host's row in pixels (default: 640x160)", true, true, 1,
     [](const Values& v, Front, Options& o) { return readSize(v[0], o.width, o.height); }},
    {"spp", "N", "samples per pixel (default: 4)", true, true, 1,
     [](const Values& v, Front, Options& o) {
       return readCount(v[0], kMaxSamplesPerPixel, o.samplesPerPixel);
     }},
    {"threads", "N", "render threads (default: all cores)", true, false, 1,
     [](const Values& v, Front, Options& o) { return readCount(v[0], kMaxThreads, o.threads); }},
    {"output", "PATH",
     "the picture to write, .png or .exr by its extension (default: mattora-preview.png)", true,
     false, 1,
     [](const Values& v, Front, Options& o) { return readOutput(v[0], o.output, o.format); }},
    {"irradiance", "", "mental ray only: add the renderer's irradiance term", true, true, 0,
     [](const Values& v, Front, Options& o) { return readFlag(v, o.irradiance); }},
    {"texture", "", "mental ray only: drive the colour by a checker", true, true, 0,
     [](const Values& v, Front, Options& o) { return readFlag(v, o.texture); }},
    {"key-light", "X,Y,Z", "the key light as a directional light from this direction", false, true,
     1,
     [](const Values& v, Front, Options& o) {
       o.hasKeyLight = true;
       return readDirection(v[0], o.keyLight);
     }},
    {"format", "png|exr", "the picture's format (default: png)", false, true, 1,
     [](const Values& v, Front, Options& o) -> std::string {
       if (v[0] == "png")
         o.format = OutputFormat::Png;
       else if (v[0] == "exr")
         o.format = OutputFormat::Exr;
       else
         return refused(v[0], "expected png or exr");
       return {};
     }},
    {"client", "NAME", "requests of one client supersede each other", false, true, 1,
     [](const Values& v, Front, Options& o) { return readClient(v[0], o.client); }},
    {"quick", "", "a frame soon replaced: rendered at half the size, scaled up, encoded for speed",
     false, true, 0, [](const Values& v, Front, Options& o) { return readFlag(v, o.quick); }},
    {"export", "mel|mi FILE",
     "also write the material as a look: mel, a script that makes a mattora node in Maya; mi, a "
     "vela_mattora shader statement for mental ray",
     true, false, 2,
     [](const Values& v, Front, Options& o) -> std::string {
       if (v.size() != 2 || !lookFormatFromName(v[0], o.exportFormat))
         return refused(v.empty() ? "" : v[0], "expected mel or mi, then a file");
       if (v[1].empty()) return "needs a file path";
       o.exportPath = v[1];
       return {};
     }},
    {"maya-plugin", "FILE",
     "the mattora plug-in to load (default: the one built with this program)", true, false, 1,
     [](const Values& v, Front, Options& o) { return readPath(v[0], o.mayaPlugin); }},
    {"mentalray-library", "FILE",
     "the vela_mattora library to load, with the vela_mattora.mi beside it (default: the one "
     "built with this program)",
     true, false, 1,
     [](const Values& v, Front, Options& o) { return readPath(v[0], o.mentalrayLibrary); }},
};

const char* kDescription =
    "Renders a row of spheres in the mattora material, shaded through the built Maya\n"
    "plug-in and the mental ray shader library, and writes the picture: an 8-bit sRGB\n"
    "PNG, or with --output NAME.exr linear 32-bit float OpenEXR.\n";

const char* kFooter =
    "Values may also follow an '=' (--size=320x80). The summary line goes to standard\n"
    "output, the progress bar to standard error when it is a terminal.";

// The command line from the table: every value goes through the table's
// readers, so the messages name the value as given; the library does the
// rest of the command line.
void addOptions(CLI::App& app, Options& o) {
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  for (const OptionEntry& entry : kOptions) {
    if (!entry.preview) continue;
    const std::string name = std::string("--") + entry.name;
    const auto read = [&entry, &o, name](const Values& values) {
      const std::string problem = entry.read(values, Front::Preview, o);
      if (!problem.empty()) throw CLI::ValidationError(name + " " + problem);
    };
    if (entry.values == 0) {
      app.add_flag_callback(
             name, [read] { read({}); }, entry.help)
          ->disable_flag_override();
      continue;
    }
    CLI::Option* option =
        entry.values == 1
            ? app.add_option_function<std::string>(
                  name, [read](const std::string& value) { read({value}); }, entry.help)
            : app.add_option_function<Values>(name, read, entry.help)->expected(entry.values);
    option->type_name(entry.typeName);
  }
  app.footer(kFooter);
  app.allow_extras();  // reported below, in the words of the other messages
}

// The option a library message is about: the message starts "--name:" or
// "name ".
const OptionEntry* optionNamed(const std::string& message) {
  for (const OptionEntry& entry : kOptions) {
    const std::string name = std::string("--") + entry.name;
    if (entry.preview && (message.compare(0, name.size() + 1, name + ":") == 0 ||
                          message.rfind(std::string(entry.name) + " ", 0) == 0))
      return &entry;
  }
  return nullptr;
}

}  // namespace

const std::vector<OptionEntry>& optionTable() { return kOptions; }

const OptionEntry* requestParameter(const std::string& name) {
  for (const OptionEntry& entry : kOptions)
    if (entry.request && name == entry.name) return &entry;
  return nullptr;
}

Options lookdevDefaults() {
  Options o;
  o.roughness = {0.5f};
  o.width = o.height = 400;
  return o;
}

ParseResult parseOptions(const std::vector<std::string>& args) {
  ParseResult result;
  CLI::App app{kDescription, "mattora-preview"};
  addOptions(app, result.options);
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
    const OptionEntry* entry = optionNamed(e.what());
    if (!entry) return fail(e.what());
    const std::string name = std::string("--") + entry->name;
    if (entry->values == 0) return fail(name + " takes no value");
    if (entry->values == 2) return fail(name + " needs a format, mel or mi, and a file");
    if (std::string(entry->typeName) == "FILE") return fail(name + " needs a file path");
    return fail(name + " needs a value");
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

}  // namespace preview
