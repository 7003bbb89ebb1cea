// What the lookdev server answers, as a function of the request alone: no
// server, no socket. The answers to good and bad parameters, to methods and
// paths, and the options a render or a plot is handed.
#include <gtest/gtest.h>

#include "preview/lookdev/routes.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using lookdev::Routed;

lookdev::Request request(const std::string& method, const std::string& target,
                         const char* host = "127.0.0.1:8017") {
  lookdev::Request r;
  r.method = method;
  r.target = target;
  if (host) r.host = host;
  return r;
}

Routed get(const std::string& target, const std::string& method = "GET") {
  return lookdev::route(request(method, target), "127.0.0.1");
}

TEST(Routes, EachRequestGetsItsAnswerOrItsWork) {
  struct Case {
    const char* method;
    const char* target;
    int status;           // of an answer at once; 0: handed on as work
    const char* content;  // the answer's type, or the work: "render", "plot"
  };
  const std::vector<Case> cases = {
      {"GET", "/", 200, "text/html; charset=utf-8"},
      {"HEAD", "/lookdev.js", 200, "text/javascript; charset=utf-8"},
      {"GET", "/lookdev.css?v=2", 200, "text/css; charset=utf-8"},
      {"GET", "/export?format=mel&roughness=0.7", 200, "text/plain; charset=utf-8"},
      {"GET", "/export?roughness=0.7&format=mi&client=tab", 200, "text/plain; charset=utf-8"},
      {"GET", "/render?size=64x48&spp=1", 0, "render"},
      {"HEAD", "/plot?roughness=0,1", 0, "plot"},
      {"POST", "/render", 405, "application/json"},
      {"DELETE", "/", 405, "application/json"},
      {"GET", "/export?roughness=0.7", 400, "application/json"},
  };
  for (const Case& c : cases) {
    const Routed r = get(c.target, c.method);
    const std::string what = std::string(c.method) + " " + c.target;
    if (c.status == 0) {
      EXPECT_EQ(r.work,
                std::string(c.content) == "render" ? Routed::Work::Render : Routed::Work::Plot)
          << what;
      continue;
    }
    EXPECT_EQ(r.work, Routed::Work::None) << what;
    EXPECT_EQ(r.answer.status, c.status) << what << ": " << r.answer.body;
    EXPECT_EQ(r.answer.contentType, c.content) << what;
    if (c.status == 405) {
      EXPECT_EQ(r.answer.header("Allow"), "GET, HEAD") << what;
    }
  }
  // The work carries the page's defaults under what the request set.
  const Routed render = get("/render?roughness=0.25&roughness=0.75&irradiance&client=tab-1");
  ASSERT_EQ(render.work, Routed::Work::Render);
  EXPECT_EQ(render.options.roughness, std::vector<float>{0.75f});
  EXPECT_TRUE(render.options.irradiance);
  EXPECT_EQ(render.options.client, "tab-1");
  EXPECT_EQ(render.options.width, 400);
  EXPECT_EQ(render.options.samplesPerPixel, 4);
}

// A page of another site can reach the server through a name it rebinds to
// this machine; the browser then sends that name. Only the server's own
// names are answered.
TEST(Routes, OnlyTheServersOwnNamesAreAnswered) {
  struct Case {
    const char* host;  // nullptr: no Host header
    unsigned version;
    const char* listen;
    int status;
  };
  const std::vector<Case> cases = {
      {"127.0.0.1:8017", 11, "127.0.0.1", 200},
      {"localhost:8017", 11, "127.0.0.1", 200},
      {"LocalHost.", 11, "127.0.0.1", 200},
      {"tab.localhost:8017", 11, "127.0.0.1", 200},
      {"127.1.2.3", 11, "127.0.0.1", 200},
      {"[::1]:8017", 11, "::1", 200},
      {"[::ffff:127.0.0.1]:8017", 11, "127.0.0.1", 200},
      {"192.168.1.20:8017", 11, "192.168.1.20", 200},  // the --listen address
      {"10.0.0.7:8017", 11, "0.0.0.0", 200},           // the address the connection arrived on
      {"studio-box:8017", 11, "studio-box", 200},
      {nullptr, 10, "127.0.0.1", 200},
      {"attacker.example", 11, "127.0.0.1", 403},
      {"attacker.example:8017", 11, "0.0.0.0", 403},
      {"localhost.attacker.example", 11, "127.0.0.1", 403},
      {"127.0.0.1.attacker.example", 11, "127.0.0.1", 403},
      {"192.168.1.21:8017", 11, "192.168.1.20", 403},
      {"", 11, "127.0.0.1", 403},
      {nullptr, 11, "127.0.0.1", 400},
  };
  for (const Case& c : cases) {
    lookdev::Request asked = request("GET", "/render?spp=1", c.host);
    asked.version = c.version;
    asked.localAddress = "10.0.0.7";
    const Routed r = lookdev::route(asked, c.listen);
    const std::string what = std::string(c.host ? c.host : "(none)") + " listening on " + c.listen;
    if (c.status == 200) {
      EXPECT_EQ(r.work, Routed::Work::Render) << what << ": " << r.answer.body;
      continue;
    }
    EXPECT_EQ(r.answer.status, c.status) << what;
    const nlohmann::json error = nlohmann::json::parse(r.answer.body, nullptr, false);
    EXPECT_TRUE(error.contains("error")) << what << ": " << r.answer.body;
  }
}

TEST(Routes, BadParametersGetA400WithOneLineOfJsonNamingThem) {
  struct Case {
    const char* query;
    const char* parameter;
  };
  const std::vector<Case> cases = {
      {"roughness=rough", "roughness"},
      {"roughness=0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16", "roughness"},
      {"roughness=", "roughness"},
      {"roughness=nan", "roughness"},
      {"color=1,2", "color"},
      {"diffuse=1e99", "diffuse"},
      {"translucence=x", "translucence"},
      {"lights=disco", "lights"},
      {"size=0x0", "size"},
      {"size=8192x8192", "size"},
      {"size=-5x5", "size"},
      {"spp=0", "spp"},
      {"spp=1025", "spp"},
      {"host=blender", "host"},
      {"irradiance=maybe", "irradiance"},
      {"key-light=0,0,0", "key-light"},
      {"key-light=1,1", "key-light"},
      {"format=jpeg", "format"},
      {"client=a/b", "client"},
      // A value that reads as an option is a value, not an option.
      {"client=--spp=4", "client"},
      {"threads=4", "threads"},
      {"output=/tmp/x.png", "output"},
      {"maya-plugin=/tmp/evil.so", "maya-plugin"},
      {"export=mel", "export"},
      {"help=1", "help"},
      {"size=8x8&spp=1&nonsense=1", "nonsense"},
      // A C string of the value would end early, and read as 0.3 or 4.
      {"roughness=0.3%00junk", "roughness"},
      {"roughness=%00", "roughness"},
      {"spp=4%00", "spp"},
      {"client=tab%0A", "client"},
      {"color=0.5%2C0.5%2C0.5%7F", "color"},
      {"color=%zz", "color"},
  };
  for (const char* endpoint : {"/render?", "/plot?", "/export?format=mel&"}) {
    for (const Case& c : cases) {
      const std::string target = std::string(endpoint) + c.query;
      const Routed r = get(target);
      ASSERT_EQ(r.work, Routed::Work::None) << target;
      EXPECT_EQ(r.answer.status, 400) << target;
      EXPECT_EQ(r.answer.contentType, "application/json") << target;
      const std::string& body = r.answer.body;
      // One line: the JSON and its newline.
      EXPECT_EQ(body.find('\n'), body.size() - 1) << target << ": " << body;
      const nlohmann::json error = nlohmann::json::parse(body, nullptr, false);
      ASSERT_FALSE(error.is_discarded()) << target << ": " << body;
      EXPECT_EQ(error.value("parameter", ""), c.parameter) << target << ": " << body;
      EXPECT_NE(error.value("error", "").find(c.parameter), std::string::npos) << body;
    }
  }
}

TEST(Routes, NoPathReachesAFileOutsideThePage) {
  const std::vector<std::string> paths = {
      "/index.html",  // the page is "/" only
      "/../CMakeLists.txt", "/..%2f..%2fetc%2fpasswd",         "/%2e%2e/%2e%2e/etc/passwd",
      "//etc/passwd",       "/lookdev.js/../../../etc/passwd", "/lookdev.js%00.png",
      "/proc/self/environ", "/render/../lookdev.js/..",
  };
  for (const std::string& path : paths) {
    const Routed r = get(path);
    EXPECT_EQ(r.answer.status, 404) << path;
    EXPECT_EQ(r.answer.body, "{\"error\":\"no such page\"}\n") << path;
  }
}

}  // namespace
