// What mattora-lookdev adds to a frame: the default view (both hosts, 400 x
// 400, 4 samples per pixel, studio lights), and the quick frame the page
// asks for first after a change (1 sample per pixel at half the size, scaled
// up), fetched from the server over loopback, against the control of
// rendering and encoding the same frame in this process with the same render
// core. The ratio is the share of the
// request: HTTP, parameter checking, queueing and sending the PNG on top of
// shading and encoding. Wall time, one frame per iteration. The same again
// with 64 connections held open and idle, each after a request of its own,
// as browser tabs leave them: they must cost the served frame nothing.
#include "preview/lookdev/server.h"
#include "preview/lookdev/view.h"
#include "preview/options.h"
#include "ratioReporter.h"
#include "support/besideExecutable.h"
#include "support/httpClient.h"

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// The page's first refined frame, as it asks for it, and the quick frame it
// asks for first after a change.
const std::string kDefaultView =
    "/render?host=both&roughness=0.5&color=0.5,0.5,0.5&diffuse=0.8&translucence=0"
    "&lights=studio&size=400x400&spp=4&key-light=-0.44998,0.49998,0.73996&client=bench";
const std::string kQuickView =
    "/render?host=both&roughness=0.5&color=0.5,0.5,0.5&diffuse=0.8&translucence=0"
    "&lights=studio&size=400x400&spp=1&quick=1&key-light=-0.44998,0.49998,0.73996&client=bench";

std::string mayaPlugin() { return testsupport::besideExecutable(MATTORA_PLUGIN); }
std::string mentalrayLibrary() { return testsupport::besideExecutable(VELA_MATTORA_LIBRARY); }

preview::Options defaultView(bool quick) {
  preview::Options o = preview::lookdevDefaults();
  o.hasKeyLight = true;
  o.keyLight = preview::Vec3{-0.44998f, 0.49998f, 0.73996f};
  o.client = "bench";
  if (quick) {
    o.samplesPerPixel = 1;
    o.quick = true;
  }
  return o;
}

void renderDirectly(benchmark::State& state, bool quick) {
  lookdev::ViewRenderer renderer(preview::defaultThreadCount(), mayaPlugin(), mentalrayLibrary());
  const preview::Options options = defaultView(quick);
  size_t bytes = 0;
  for (auto _ : state) {
    lookdev::Frame frame;
    std::string error;
    if (!renderer.render(options, nullptr, frame, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    bytes = frame.body.size();
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}

void serveFrames(benchmark::State& state, const std::string& target, int idleConnections) {
  lookdev::ServerSettings settings;
  settings.port = 0;
  settings.renderThreads = preview::defaultThreadCount();
  settings.mayaPlugin = mayaPlugin();
  settings.mentalrayLibrary = mentalrayLibrary();
  // The idle connections must outlast the run.
  settings.idleSeconds = 3600.0;
  lookdev::Server server(settings);
  std::string error;
  if (!server.bind(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::thread serving([&server] { server.serve(); });
  std::vector<std::unique_ptr<testsupport::HttpConnection>> idle;
  for (int i = 0; i < idleConnections; ++i) {
    idle.push_back(std::make_unique<testsupport::HttpConnection>(server.port()));
    if (!idle.back()->get("/lookdev.css")) {
      state.SkipWithError("an idle connection was refused");
      break;
    }
  }
  testsupport::HttpConnection client(server.port());
  size_t bytes = 0;
  for (auto _ : state) {
    const std::optional<testsupport::HttpAnswer> r = client.get(target);
    if (!r || r->status != 200) {
      state.SkipWithError(r ? r->body.c_str() : "no answer");
      break;
    }
    bytes = r->body.size();
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
  server.stop();
  serving.join();
}

void BM_FrameRenderedDirectly(benchmark::State& state) { renderDirectly(state, false); }
void BM_FrameServed(benchmark::State& state) { serveFrames(state, kDefaultView, 0); }
void BM_FrameServedWith64IdleConnections(benchmark::State& state) {
  serveFrames(state, kDefaultView, 64);
}
void BM_QuickFrameRenderedDirectly(benchmark::State& state) { renderDirectly(state, true); }
void BM_QuickFrameServed(benchmark::State& state) { serveFrames(state, kQuickView, 0); }

BENCHMARK(BM_FrameRenderedDirectly)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameServed)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameServedWith64IdleConnections)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFrameRenderedDirectly)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFrameServed)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(
      argc, argv,
      {{"BM_FrameServed/real_time", "BM_FrameRenderedDirectly/real_time"},
       {"BM_FrameServedWith64IdleConnections/real_time", "BM_FrameRenderedDirectly/real_time"},
       {"BM_QuickFrameServed/real_time", "BM_QuickFrameRenderedDirectly/real_time"}});
}
