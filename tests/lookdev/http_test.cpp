// The lookdev server over HTTP, in this process on a free port: what a page
// or a script gets for good and bad parameters, for paths outside the page,
// for requests at once, for requests that a newer one or a departed client
// makes pointless, for connections that sit idle, and the looks it exports.
#include <gtest/gtest.h>

#include "hosts/maya/mayahost/host.h"
#include "hosts/mentalray/declaration.h"
#include "preview/lookdev/server.h"
#include "support/besideExecutable.h"
#include "support/httpClient.h"
#include "support/programRun.h"

#include <dirent.h>
#include <poll.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Answer = std::optional<testsupport::HttpAnswer>;

constexpr int kRenderThreads = 2;
// Short enough that a test can wait for the server to close a connection.
constexpr double kConnectionLimitSeconds = 4.0;

int threadsOfThisProcess() {
  int count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
    closedir(tasks);
  }
  return count;
}

// Width and height from a PNG's header chunk; 0 when it is no PNG.
void pngSize(const std::string& body, int& width, int& height) {
  width = height = 0;
  if (body.size() < 24 || body.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return;
  auto be32 = [&body](size_t at) {
    int v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(body[at + i]);
    return v;
  };
  width = be32(16);
  height = be32(20);
}

class Lookdev : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lookdev::ServerSettings settings;
    settings.port = 0;
    settings.renderThreads = kRenderThreads;
    settings.idleSeconds = settings.readSeconds = kConnectionLimitSeconds;
    settings.mayaPlugin = testsupport::besideExecutable(MATTORA_PLUGIN_PATH);
    settings.mentalrayLibrary = testsupport::besideExecutable(VELA_MATTORA_LIBRARY);
    server_ = new lookdev::Server(settings);
    std::string error;
    ASSERT_TRUE(server_->checkPlugins(error)) << error;
    ASSERT_TRUE(server_->bind(error)) << error;
    serving_ = new std::thread([] { server_->serve(); });
  }
  static void TearDownTestSuite() {
    if (serving_) {
      server_->stop();
      serving_->join();
    }
    delete serving_;
    delete server_;
  }

  static Answer get(const std::string& target) {
    return testsupport::httpGet(server_->port(), target);
  }

  static lookdev::Server* server_;
  static std::thread* serving_;
};

lookdev::Server* Lookdev::server_ = nullptr;
std::thread* Lookdev::serving_ = nullptr;

TEST_F(Lookdev, GoodParametersGiveThePictureOrTheCurves) {
  struct Case {
    const char* target;
    const char* contentType;
    int width;  // of a PNG; 0: not a PNG
  };
  // Each view is the size asked for; both hosts side by side have a gap of 8
  // between them; one label band above and one below each view.
  const std::vector<Case> cases = {
      {"/render?size=64x48&spp=1", "image/png", 2 * 64 + 8},
      {"/render?host=maya&size=64x48&roughness=0,1", "image/png", 64},
      {"/render?host=mentalray&size=50x50&irradiance=1&texture=true&lights=area", "image/png", 50},
      {"/render?host=difference&size=40x40&color=0.2,0.4,0.8&diffuse=1", "image/png", 40},
      {"/render?size=32x32&key-light=1,0,0&lights=key&translucence=0.5", "image/png", 2 * 32 + 8},
      {"/render?size=32x32&roughness=1&roughness=0.25&irradiance=1&irradiance=0", "image/png",
       2 * 32 + 8},
      {"/render?size=32x32&format=exr", "image/x-exr", 0},
      // A quick frame renders half the size, and is scaled up to the size asked for.
      {"/render?size=64x48&spp=1&quick=1", "image/png", 2 * 64 + 8},
      {"/plot?roughness=0.5&key-light=0,1,1", "application/json", 0},
      {"/export?format=mel&roughness=0.7", "text/plain; charset=utf-8", 0},
      {"/export?roughness=0.7&format=mi&client=tab", "text/plain; charset=utf-8", 0},
      {"/", "text/html; charset=utf-8", 0},
      {"/lookdev.js", "text/javascript; charset=utf-8", 0},
      {"/lookdev.css", "text/css; charset=utf-8", 0},
  };
  for (const Case& c : cases) {
    const Answer r = get(c.target);
    ASSERT_TRUE(r) << c.target;
    EXPECT_EQ(r->status, 200) << c.target << ": " << r->body;
    EXPECT_EQ(r->header("Content-Type"), c.contentType) << c.target;
    if (c.width) {
      int width, height;
      pngSize(r->body, width, height);
      EXPECT_EQ(width, c.width) << c.target;
      EXPECT_FALSE(r->header("X-Mattora-Summary").empty()) << c.target;
    }
    if (std::string(c.contentType) == "image/x-exr") {
      EXPECT_EQ(r->body.compare(0, 4, "\x76\x2f\x31\x01"), 0) << "no EXR magic number";
    }
  }
}

TEST_F(Lookdev, TheCurvesAreTheModelsFactorThroughBothDeliverables) {
  // Light at 60 degrees from the normal; the view swept from -90 to 90.
  const double thetaI = 60.0 * M_PI / 180.0;
  const Answer r = get("/plot?roughness=0,0.5&key-light=" + std::to_string(std::sin(thetaI)) +
                       ",0," + std::to_string(std::cos(thetaI)));
  ASSERT_TRUE(r);
  ASSERT_EQ(r->status, 200) << r->body;
  const nlohmann::json plot = nlohmann::json::parse(r->body);
  EXPECT_NEAR(plot["elevation"].get<double>(), 60.0, 1e-3);
  EXPECT_NEAR(plot["lambert"].get<double>(), 0.5, 1e-6);
  const auto angles = plot["angles"].get<std::vector<int>>();
  ASSERT_EQ(angles.size(), 181u);
  EXPECT_EQ(angles.front(), -90);
  EXPECT_EQ(angles.back(), 90);
  ASSERT_EQ(plot["curves"].size(), 2u);

  // Roughness 0 is Lambert's cosine for every view in front of the surface.
  const nlohmann::json& smooth = plot["curves"][0];
  EXPECT_EQ(smooth["A"].get<double>(), 1.0);
  EXPECT_EQ(smooth["B"].get<double>(), 0.0);
  for (const char* host : {"maya", "mentalray"})
    for (size_t i = 1; i + 1 < angles.size(); ++i)
      EXPECT_NEAR(smooth[host][i].get<double>(), 0.5, 1e-6) << host << " at " << angles[i];

  // Roughness 0.5: s = 0.25, A = 1 - 0.125 / 0.58, B = 0.1125 / 0.34. Viewed
  // along the normal, or from the side away from the light, f = A cos(thetaI);
  // viewed from the light's own direction, f = cos(thetaI) (A + B sin tan).
  const double A = 1.0 - 0.125 / 0.58, B = 0.1125 / 0.34;
  const nlohmann::json& rough = plot["curves"][1];
  EXPECT_NEAR(rough["A"].get<double>(), A, 1e-6);
  EXPECT_NEAR(rough["B"].get<double>(), B, 1e-6);
  const auto at = [&angles](int degrees) { return static_cast<size_t>(degrees - angles.front()); };
  for (const char* host : {"maya", "mentalray"}) {
    EXPECT_NEAR(rough[host][at(0)].get<double>(), A * 0.5, 1e-5) << host;
    EXPECT_NEAR(rough[host][at(-45)].get<double>(), A * 0.5, 1e-5) << host;
    EXPECT_NEAR(rough[host][at(60)].get<double>(),
                0.5 * (A + B * std::sin(thetaI) * std::tan(thetaI)), 1e-5)
        << host;
  }
}

// Refusals reach the client as the routes make them (tested there in full),
// and so does a target longer than the server reads.
TEST_F(Lookdev, RefusalsReachTheClientAsOneLineOfJson) {
  std::string manyParameters = "/render?spp=1";
  for (int i = 0; i < 5000; ++i) manyParameters += "&spp=1";
  for (const auto& [target, status] : {std::pair<std::string, int>{"/render?spp=0", 400},
                                       {"/lookdev.js/..", 404},
                                       {manyParameters, 414}}) {
    const Answer r = get(target);
    ASSERT_TRUE(r) << target;
    EXPECT_EQ(r->status, status) << target;
    EXPECT_EQ(r->header("Content-Type"), "application/json") << target;
    EXPECT_EQ(r->body.find('\n'), r->body.size() - 1) << target << ": " << r->body;
  }
}

// Several tabs at once: each gets its own picture, the same as when asked
// alone, and the server's threads stay within their bounds.
TEST_F(Lookdev, ConcurrentRequestsAreEachServedCorrectly) {
  std::vector<std::string> targets;
  for (int i = 0; i < 12; ++i)
    targets.push_back("/render?size=48x48&spp=2&roughness=" + std::to_string(0.1 * i) +
                      "&client=tab" + std::to_string(i));
  std::vector<std::string> alone;
  for (const std::string& t : targets) alone.push_back(get(t)->body);
  // Counted once the server has answered, so its pool has started.
  const int before = threadsOfThisProcess();

  std::atomic<int> mostThreads{0};
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done) {
      mostThreads = std::max(mostThreads.load(), threadsOfThisProcess());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::vector<std::future<Answer>> answers;
  for (const std::string& t : targets)
    answers.push_back(std::async(std::launch::async, [t] { return get(t); }));
  for (size_t i = 0; i < answers.size(); ++i) {
    const Answer r = answers[i].get();
    ASSERT_TRUE(r) << targets[i];
    EXPECT_EQ(r->status, 200) << targets[i];
    EXPECT_TRUE(r->body == alone[i]) << targets[i] << " differs from the same request alone";
  }
  done = true;
  watcher.join();
  // Ours: the clients and the watcher. The server's render threads started
  // with it, so they are counted already: a render starts none of its own.
  EXPECT_LE(mostThreads.load(), before + static_cast<int>(targets.size()) + 1);
}

// Renders share the render threads as they come: a small one sent while 16
// large ones run is answered within a second, where waiting for them would
// take many.
TEST_F(Lookdev, ASmallRenderIsAnsweredWhileLargeOnesRun) {
  std::vector<std::future<Answer>> large;
  for (int i = 0; i < 16; ++i)
    large.push_back(std::async(std::launch::async, [i] {
      // Given up after 3 s, which drops the render.
      return testsupport::httpGet(
          server_->port(), "/render?size=512x512&spp=16&client=large" + std::to_string(i), 3.0);
    }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto start = Clock::now();
  const Answer small = get("/render?size=32x32&spp=1");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_TRUE(small);
  EXPECT_EQ(small->status, 200);
  EXPECT_LT(seconds, 1.0);
  for (std::future<Answer>& answer : large) EXPECT_FALSE(answer.get()) << "a large render done";
}

// A render nobody waits for any more is dropped: the next request does not
// wait for it to finish.
TEST_F(Lookdev, SupersededOrAbandonedRendersAreDropped) {
  // Some 30 million samples, many seconds' work; few enough per tile that a
  // sanitizer build still notices the cancellation soon.
  const std::string slow = "/render?size=4096x1024&spp=4&lights=area";
  const std::string quick = "/render?size=16x16&spp=1";
  {
    SCOPED_TRACE("a newer request of the same client");
    auto first = std::async(std::launch::async, [&] { return get(slow + "&client=one"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    const Answer second = get(quick + "&client=one");
    const Answer superseded = first.get();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->status, 200);
    ASSERT_TRUE(superseded);
    EXPECT_EQ(superseded->status, 409);
    EXPECT_NE(superseded->body.find("superseded"), std::string::npos) << superseded->body;
    EXPECT_LT(seconds, 3.0);
  }
  {
    SCOPED_TRACE("the client goes away");
    const auto start = Clock::now();
    EXPECT_FALSE(testsupport::httpGet(server_->port(), slow, 0.2));
    const Answer next = get(quick);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->status, 200);
    EXPECT_LT(seconds, 3.0);
  }
}

// Connections that sit idle after a request, or that send half a request and
// wait, hold no thread: a render is answered long before their time is up,
// the server starts no thread for them, and it closes them once it is.
TEST_F(Lookdev, IdleAndHalfSentConnectionsHoldNoThread) {
  const int port = server_->port();
  ASSERT_TRUE(get("/lookdev.css"));
  const int before = threadsOfThisProcess();
  std::vector<std::unique_ptr<testsupport::HttpConnection>> held;
  const std::string halfRequest = "GET /render?size=64x64 HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  for (int i = 0; i < 64; ++i) {
    held.push_back(std::make_unique<testsupport::HttpConnection>(port));
    ASSERT_TRUE(held.back()->get("/lookdev.css"));
    held.push_back(std::make_unique<testsupport::HttpConnection>(port));
    boost::asio::write(held.back()->socket(), boost::asio::buffer(halfRequest));
  }
  const auto start = Clock::now();
  const Answer r = get("/render?size=64x64");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_LT(seconds, kConnectionLimitSeconds / 2);
  EXPECT_EQ(threadsOfThisProcess(), before);

  for (size_t i = 0; i < held.size(); ++i) {
    pollfd p{held[i]->socket().native_handle(), POLLIN, 0};
    const int waitMs = static_cast<int>(kConnectionLimitSeconds * 1000) + 5000;
    ASSERT_EQ(::poll(&p, 1, waitMs), 1) << "connection " << i << " is still open";
    char byte;
    EXPECT_EQ(::recv(p.fd, &byte, 1, 0), 0) << "connection " << i;
  }
}

// At the connection limit the connection idle the longest is closed to make
// room: a new client is answered at once, however many sit idle.
TEST_F(Lookdev, AtTheConnectionLimitTheLongestIdleMakesRoom) {
  lookdev::ServerSettings settings;
  settings.port = 0;
  settings.maxConnections = 16;
  settings.mayaPlugin = testsupport::besideExecutable(MATTORA_PLUGIN_PATH);
  settings.mentalrayLibrary = testsupport::besideExecutable(VELA_MATTORA_LIBRARY);
  lookdev::Server server(settings);
  std::string error;
  ASSERT_TRUE(server.bind(error)) << error;
  std::thread serving([&server] { server.serve(); });
  std::vector<std::unique_ptr<testsupport::HttpConnection>> idle;
  for (int i = 0; i < 24; ++i) {
    idle.push_back(std::make_unique<testsupport::HttpConnection>(server.port()));
    ASSERT_TRUE(idle.back()->get("/lookdev.css")) << "connection " << i;
  }
  const auto start = Clock::now();
  const std::optional<testsupport::HttpAnswer> r =
      testsupport::httpGet(server.port(), "/render?size=32x32&spp=1", 5.0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_LT(seconds, 1.0);
  // The first nine were closed, oldest first; the last fifteen still serve.
  for (size_t i = 0; i < idle.size(); ++i) {
    pollfd p{idle[i]->socket().native_handle(), POLLIN, 0};
    const bool closed = ::poll(&p, 1, i < 9 ? 2000 : 0) == 1;
    EXPECT_EQ(closed, i < 9) << "connection " << i;
  }
  server.stop();
  serving.join();
}

// A look leaves the page as MEL and as a .mi shader statement whose every
// name is one the built Maya node and the shader's declaration have, with the
// type its value is written as; mattora-preview writes the same text.
TEST_F(Lookdev, ExportedLooksNameOnlyWhatBothHostsDeclare) {
  const std::string page =
      "roughness=0.7&color=0.25,0.5,1&diffuse=0.6&translucence=0.2&irradiance=1&client=tab";
  const Answer mel = get("/export?format=mel&" + page);
  const Answer mi = get("/export?format=mi&" + page);
  ASSERT_TRUE(mel && mi);
  ASSERT_EQ(mel->status, 200) << mel->body;
  ASSERT_EQ(mi->status, 200) << mi->body;

  // The server keeps the plug-in loaded; loading it again would run its
  // initialisation a second time under the server's nodes.
  const std::optional<mayahost::NodeType> node = mayahost::findType("mattora");
  ASSERT_TRUE(node);
  EXPECT_NE(mel->body.find("shadingNode -asShader mattora`"), std::string::npos) << mel->body;
  const std::regex setAttr(R"re(setAttr \(\$node \+ "\.(\w+)"\) (-type double3 )?([^;]*);)re");
  std::map<std::string, std::string> melValues;
  for (std::sregex_iterator m(mel->body.begin(), mel->body.end(), setAttr), end; m != end; ++m) {
    const std::string name = (*m)[1];
    const mayahost::Attribute attribute = node->attribute(name);
    ASSERT_TRUE(attribute) << name;
    const mayahost::AttributeInfo info = attribute.info();
    EXPECT_EQ(info.name, name) << "a short name";
    if ((*m)[2].matched) {
      EXPECT_EQ(info.kind, mayahost::AttributeKind::Compound) << name;
      ASSERT_EQ(info.children.size(), 3u) << name;
      for (const mayahost::Attribute& child : info.children)
        EXPECT_EQ(child.info().kind, mayahost::AttributeKind::Float) << name;
    } else {
      EXPECT_EQ(info.kind, mayahost::AttributeKind::Float) << name;
    }
    melValues[name] = (*m)[3];
  }
  const std::map<std::string, std::string> pageMel = {
      {"color", "0.25 0.5 1"}, {"diffuse", "0.6"}, {"translucence", "0.2"}, {"roughness", "0.7"}};
  EXPECT_EQ(melValues, pageMel) << mel->body;

  const std::vector<mrhost::ShaderDecl> declarations =
      mrhost::readDeclarationFile(testsupport::besideExecutable(VELA_MATTORA_DECLARATION));
  const mrhost::ShaderDecl& shader = mrhost::findDeclaration(declarations, "vela_mattora");
  EXPECT_NE(mi->body.find("\n    \"vela_mattora\" (\n"), std::string::npos) << mi->body;
  // Plain mental ray reads only "#" as a comment: a MEL-style note would not parse.
  const std::regex statementLine(
      R"re(# .*|shader "\w+"| {4}"vela_mattora" \(| {8}"\w+" .*| {4}\))re");
  std::istringstream lines(mi->body);
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(std::regex_match(line, statementLine)) << "not a shader statement: " << line;
  const std::regex parameter(R"re(^ {8}"(\w+)" ([^,\n]*),?$)re", std::regex::multiline);
  std::map<std::string, std::string> miValues;
  for (std::sregex_iterator m(mi->body.begin(), mi->body.end(), parameter), end; m != end; ++m) {
    const std::string name = (*m)[1], value = (*m)[2];
    const mrhost::ParamDecl* declared = shader.find(name);
    ASSERT_NE(declared, nullptr) << name;
    const auto words = std::count(value.begin(), value.end(), ' ') + 1;
    bool fits = false;
    if (declared->type == mrhost::ParamType::Color)
      fits = words == 3 || words == 4;
    else if (declared->type == mrhost::ParamType::Scalar)
      fits = words == 1;
    else if (declared->type == mrhost::ParamType::Boolean)
      fits = value == "on" || value == "off";
    EXPECT_TRUE(fits) << name << " written as '" << value << "'";
    miValues[name] = value;
  }
  const std::map<std::string, std::string> pageMi = {{"color", "0.25 0.5 1"},
                                                     {"diffuse", "0.6"},
                                                     {"roughness", "0.7"},
                                                     {"irradiance", "on"},
                                                     {"irradianceColor", "1 1 1"}};
  EXPECT_EQ(miValues, pageMi) << mi->body;

  testsupport::ScratchDir scratch("mattora-export");
  ASSERT_TRUE(scratch.ok());
  for (const auto& [format, served] : {std::pair{"mel", mel->body}, std::pair{"mi", mi->body}}) {
    const testsupport::Outcome run =
        testsupport::runProgram(testsupport::besideExecutable(MATTORA_PREVIEW_EXE),
                                {"--roughness", "0.7", "--color", "0.25,0.5,1", "--diffuse", "0.6",
                                 "--translucence", "0.2", "--irradiance", "--size", "8x8", "--spp",
                                 "1", "--export", format, std::string("look.") + format},
                                scratch.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testsupport::readFile(scratch.path() / (std::string("look.") + format)), served);
  }
}

}  // namespace
