#include "preview/options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using preview::Host;
using preview::LightPreset;
using preview::Options;
using preview::parseOptions;
using preview::ParseResult;

namespace {

TEST(Options, DefaultsAreTheDocumentedScene) {
  const ParseResult r = parseOptions({});
  ASSERT_EQ(r.action, ParseResult::Action::Render);
  const Options& o = r.options;
  EXPECT_EQ(o.host, Host::Both);
  EXPECT_EQ(o.roughness, (std::vector<float>{0.0f, 0.25f, 0.5f, 1.0f}));
  EXPECT_EQ(o.color.r, 0.5f);
  EXPECT_EQ(o.color.g, 0.5f);
  EXPECT_EQ(o.color.b, 0.5f);
  EXPECT_EQ(o.diffuse, 0.8f);
  EXPECT_EQ(o.translucence, 0.0f);
  EXPECT_EQ(o.threads, 0);  // all cores
  EXPECT_EQ(o.output, "mattora-preview.png");
  EXPECT_FALSE(o.irradiance);
  EXPECT_FALSE(o.texture);
}

TEST(Options, AcceptedValues) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::function<bool(const Options&)> holds;
  };
  const std::vector<Case> cases = {
      {"host maya", {"--host", "maya"}, [](const Options& o) { return o.host == Host::Maya; }},
      {"the last of a repeated option wins",
       {"--host", "maya", "--host", "both"},
       [](const Options& o) { return o.host == Host::Both; }},
      {"roughness list of any length",
       {"--roughness", "0.1,2,-0.5"},
       [](const Options& o) {
         return o.roughness == std::vector<float>{0.1f, 2.0f, -0.5f};
       }},
      {"single roughness",
       {"--roughness=1e-1"},
       [](const Options& o) { return o.roughness == std::vector<float>{0.1f}; }},
      {"roughness too small for a float rounds to zero",
       {"--roughness", "1e-50"},
       [](const Options& o) { return o.roughness == std::vector<float>{0.0f}; }},
      {"colour as three values",
       {"--color", "0.1,0.2,0.3"},
       [](const Options& o) {
         return o.color.r == 0.1f && o.color.g == 0.2f && o.color.b == 0.3f;
       }},
      {"colour as one grey",
       {"--color", "0.25"},
       [](const Options& o) {
         return o.color.r == 0.25f && o.color.g == 0.25f && o.color.b == 0.25f;
       }},
      {"diffuse and translucence",
       {"--diffuse", "0.6", "--translucence", "0.3"},
       [](const Options& o) { return o.diffuse == 0.6f && o.translucence == 0.3f; }},
      {"every light preset by name",
       {"--lights", "area"},
       [](const Options& o) { return o.lights == LightPreset::Area; }},
      {"size",
       {"--size", "48x16"},
       [](const Options& o) { return o.width == 48 && o.height == 16; }},
      {"size at the pixel limit",
       {"--size", "4096x1024"},
       [](const Options& o) { return o.width == 4096 && o.height == 1024; }},
      {"samples and threads",
       {"--spp", "16", "--threads", "3"},
       [](const Options& o) { return o.samplesPerPixel == 16 && o.threads == 3; }},
      {"output path with folders",
       {"--output", "out/x.png"},
       [](const Options& o) {
         return o.output == "out/x.png" && o.format == preview::OutputFormat::Png;
       }},
      {"EXR output by its extension",
       {"--output", "out.d/x.exr"},
       [](const Options& o) { return o.format == preview::OutputFormat::Exr; }},
      {"a look to write",
       {"--export", "mi", "out/look.mi"},
       [](const Options& o) {
         return o.exportFormat == preview::LookFormat::Mi && o.exportPath == "out/look.mi";
       }},
      {"mental ray extras",
       {"--irradiance", "--texture"},
       [](const Options& o) { return o.irradiance && o.texture; }},
      {"plug-in files chosen",
       {"--maya-plugin", "a/mattora.so", "--mentalray-library=b/vela_mattora.so"},
       [](const Options& o) {
         return o.mayaPlugin == "a/mattora.so" && o.mentalrayLibrary == "b/vela_mattora.so";
       }},
      {"plug-in files built with the program unless chosen",
       {},
       [](const Options& o) { return o.mayaPlugin.empty() && o.mentalrayLibrary.empty(); }},
  };
  for (const Case& c : cases) {
    const ParseResult r = parseOptions(c.args);
    EXPECT_EQ(r.action, ParseResult::Action::Render) << c.name << ": " << r.error;
    EXPECT_TRUE(c.holds(r.options)) << c.name;
  }
}

TEST(Options, RefusedValuesNameTheProblem) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* mentions;
  };
  const std::vector<Case> cases = {
      {"unknown option", {"--bogus"}, "unknown option '--bogus'"},
      {"positional argument", {"spheres"}, "unexpected argument 'spheres'"},
      {"flag given a value", {"--irradiance=1"}, "--irradiance takes no value"},
      {"unknown host", {"--host", "renderman"}, "--host 'renderman'"},
      {"zero width", {"--size", "0x16"}, "--size '0x16'"},
      {"negative height", {"--size", "48x-16"}, "--size '48x-16'"},
      {"size without x", {"--size", "48"}, "--size '48'"},
      {"size with junk", {"--size", "48x16px"}, "--size '48x16px'"},
      {"side over the limit", {"--size", "8193x1"}, "--size '8193x1'"},
      {"too many pixels", {"--size", "8192x8192"}, "pixels per row"},
      {"size overflowing an int", {"--size", "99999999999x1"}, "--size '99999999999x1'"},
      {"roughness not a number", {"--roughness", "0,abc,1"}, "'abc' is not a finite number"},
      {"roughness empty list", {"--roughness", ""}, "--roughness ''"},
      {"roughness empty item", {"--roughness", "0,,1"}, "'' is not a finite number"},
      {"roughness trailing comma", {"--roughness", "0,1,"}, "'' is not a finite number"},
      {"roughness not finite", {"--roughness", "nan"}, "'nan' is not a finite number"},
      {"roughness infinite", {"--roughness", "0,inf"}, "'inf' is not a finite number"},
      {"roughness overflowing a float", {"--roughness", "1e39"}, "'1e39' is not a finite number"},
      {"roughness with spaces", {"--roughness", "0, 1"}, "' 1' is not a finite number"},
      {"too many spheres",
       {"--roughness", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"},
       "at most 16 values"},
      {"colour with two values", {"--color", "1,2"}, "--color '1,2'"},
      {"colour not a number", {"--color", "red"}, "--color 'red'"},
      {"diffuse not a number", {"--diffuse", "lots"}, "--diffuse 'lots'"},
      {"translucence NaN", {"--translucence", "nan"}, "--translucence 'nan'"},
      {"unknown light preset", {"--lights", "sun"}, "--lights 'sun'"},
      {"zero samples", {"--spp", "0"}, "--spp '0'"},
      {"too many samples", {"--spp", "1025"}, "--spp '1025'"},
      {"negative threads", {"--threads", "-2"}, "--threads '-2'"},
      {"fractional threads", {"--threads", "1.5"}, "--threads '1.5'"},
      {"output neither PNG nor EXR", {"--output", "picture.tif"}, "--output 'picture.tif'"},
      {"output whose folder has the extension", {"--output", "x.png/picture"}, "'x.png/picture'"},
      {"output only an extension", {"--output", ".png"}, "--output '.png'"},
      {"output a folder", {"--output", "out/.png"}, "--output 'out/.png'"},
      {"look in no host's format", {"--export", "ma", "look.ma"}, "--export 'ma'"},
      {"look without a file", {"--export", "mel"}, "expected mel or mi, then a file"},
      {"empty Maya plug-in path", {"--maya-plugin="}, "--maya-plugin needs a file path"},
      {"empty shader library path",
       {"--mentalray-library", ""},
       "--mentalray-library needs a file path"},
  };
  for (const Case& c : cases) {
    const ParseResult r = parseOptions(c.args);
    EXPECT_EQ(r.action, ParseResult::Action::Fail) << c.name;
    EXPECT_NE(r.error.find(c.mentions), std::string::npos)
        << c.name << ": \"" << r.error << "\" should mention \"" << c.mentions << "\"";
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << c.name << ": one line";
  }
}

}  // namespace
