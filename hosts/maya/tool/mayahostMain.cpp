// mayahost: loads a Maya plug-in file into the stand-in host and prints what
// it registered, so a shader writer can check a build by eye.
#include <cstdio>
#include <string>

#include "mayahost/host.h"

namespace {

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string defaults(const mayahost::AttributeInfo& info) {
  std::string out;
  for (double v : info.defaults) out += (out.empty() ? "" : ", ") + number(v);
  if (info.kind == mayahost::AttributeKind::Address ||
      info.kind == mayahost::AttributeKind::LightData) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", info.defaultAddress);
    out += (out.empty() ? "" : ", ") + std::string(info.defaultAddress ? address : "null");
  }
  return info.defaults.size() == 1 && info.kind != mayahost::AttributeKind::LightData
             ? out
             : "(" + out + ")";
}

std::string flags(const mayahost::AttributeInfo& info) {
  std::string out;
  auto add = [&](bool on, const char* name) {
    if (on) out += std::string(out.empty() ? "" : " ") + name;
  };
  add(info.keyable, "keyable");
  add(info.storable, "storable");
  add(info.readable, "readable");
  add(info.writable, "writable");
  add(info.hidden, "hidden");
  add(info.usedAsColor, "usedAsColor");
  add(info.array, "array");
  add(!info.connectable, "unconnectable");
  return out.empty() ? "-" : out;
}

void printAttribute(const mayahost::Attribute& a, int depth) {
  const mayahost::AttributeInfo info = a.info();
  std::printf("%*s%s (%s)  %s  default %s  [%s]", 4 + 2 * depth, "", info.name.c_str(),
              info.shortName.c_str(), mayahost::kindName(info.kind), defaults(info).c_str(),
              flags(info).c_str());
  if (info.softMin) std::printf("  softMin %s", number(*info.softMin).c_str());
  if (info.softMax) std::printf("  softMax %s", number(*info.softMax).c_str());
  if (info.min) std::printf("  min %s", number(*info.min).c_str());
  if (info.max) std::printf("  max %s", number(*info.max).c_str());
  std::printf("\n");
  for (const mayahost::Attribute& c : info.children) printAttribute(c, depth + 1);
}

void printType(const mayahost::NodeType& type) {
  const std::string classification =
      type.classification() ? quoted(*type.classification()) : std::string("none");
  const std::string kind = type.kind() == mayahost::kDependNode
                               ? std::string("kDependNode")
                               : std::to_string(static_cast<int>(type.kind()));
  std::printf("node type \"%s\"  id 0x%x (%u)  kind %s  classification %s\n", type.name().c_str(),
              type.id(), type.id(), kind.c_str(), classification.c_str());
  std::printf("  attributes, in add order:\n");
  for (const mayahost::Attribute& a : type.attributes()) printAttribute(a, 0);
  std::printf("  affects:\n");
  for (const auto& [in, out] : type.affects())
    std::printf("    %s -> %s\n", in.name().c_str(), out.name().c_str());
}

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n')
      out += "\\n";
    else if (c == '"' || c == '\\')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out;
}

void printCommands(const char* when) {
  for (const mayahost::Command& c : mayahost::commandLog())
    std::printf("command at %s: \"%s\"  display %s  undo %s\n", when, escaped(c.text).c_str(),
                c.displayEnabled ? "true" : "false", c.undoEnabled ? "true" : "false");
  mayahost::clearCommandLog();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mayahost PLUGIN_FILE\n");
    return 2;
  }
  std::string error;
  auto plugin = mayahost::Plugin::load(argv[1], &error);
  if (!plugin) {
    std::fprintf(stderr, "mayahost: %s\n", error.c_str());
    return 1;
  }
  std::printf(
      "plug-in %s  vendor \"%s\"  version \"%s\"  requires API \"%s\"  MApiVersion \"%s\"\n",
      plugin->path().c_str(), plugin->vendor().c_str(), plugin->version().c_str(),
      plugin->requiredApiVersion().c_str(), plugin->apiVersion().c_str());
  std::printf("initializePlugin: status %d\n", static_cast<int>(plugin->initializeStatus()));
  for (const mayahost::NodeType& t : plugin->types()) printType(t);
  printCommands("load");
  if (!plugin->unload(&error)) {
    std::fprintf(stderr, "mayahost: %s\n", error.c_str());
    return 1;
  }
  std::printf("uninitializePlugin: status %d\n", static_cast<int>(plugin->uninitializeStatus()));
  printCommands("unload");
  return 0;
}
