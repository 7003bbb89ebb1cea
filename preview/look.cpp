#include "preview/look.h"

#include <charconv>

namespace preview {

namespace {

// The shortest text that reads back as the same float; MEL and the .mi
// reader both take it, exponent included.
std::string number(float value) {
  char text[32];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

std::string triple(const Rgb& c) { return number(c.r) + " " + number(c.g) + " " + number(c.b); }

std::string mel(const Options& o) {
  std::string text = "// mattora: run in Maya's Script Editor with the mattora plug-in loaded.\n";
  if (o.irradiance || o.texture)
    text += "// Left out: the irradiance term and the checker texture, mental ray's only.\n";
  // A block per node keeps $node local, so the script runs again cleanly.
  for (const float sigma : o.roughness) {
    text += "{\n    string $node = `shadingNode -asShader mattora`;\n";
    text += "    setAttr ($node + \".color\") -type double3 " + triple(o.color) + ";\n";
    text += "    setAttr ($node + \".diffuse\") " + number(o.diffuse) + ";\n";
    text += "    setAttr ($node + \".translucence\") " + number(o.translucence) + ";\n";
    text += "    setAttr ($node + \".roughness\") " + number(sigma) + ";\n}\n";
  }
  return text;
}

std::string mi(const Options& o) {
  std::string text =
      "# vela_mattora: the scene links the library and includes vela_mattora.mi;\n"
      "# give each shader a \"light\" list of the scene's light instances.\n";
  if (o.translucence != 0.0f)
    text += "# Left out: translucence " + number(o.translucence) + ", the Maya node's only.\n";
  if (o.texture) text += "# Left out: the checker texture on \"color\".\n";
  for (size_t i = 0; i < o.roughness.size(); ++i) {
    text += "shader \"mattora" + std::to_string(i + 1) + "\"\n    \"vela_mattora\" (\n";
    text += "        \"color\" " + triple(o.color) + ",\n";
    text += "        \"diffuse\" " + number(o.diffuse) + ",\n";
    text += "        \"roughness\" " + number(o.roughness[i]) + ",\n";
    // The preview's irradiance is untinted.
    text += o.irradiance ? "        \"irradiance\" on,\n        \"irradianceColor\" 1 1 1\n"
                         : "        \"irradiance\" off\n";
    text += "    )\n";
  }
  return text;
}

}  // namespace

std::string lookText(const Options& options, LookFormat format) {
  switch (format) {
    case LookFormat::Mel:
      return mel(options);
    case LookFormat::Mi:
      return mi(options);
    case LookFormat::None:
      break;
  }
  return {};
}

}  // namespace preview
