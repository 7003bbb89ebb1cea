// mattora-lookdev: serves a page that shows the mattora material through
// both deliverables as its values change, and the model's curves beside it.
#include "preview/lookdev/server.h"
#include "preview/options.h"

#include <CLI/CLI.hpp>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

int fail(const std::string& message, int code) {
  std::fprintf(stderr, "mattora-lookdev: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  lookdev::ServerSettings settings;
  settings.renderThreads = preview::defaultThreadCount();
  CLI::App app{
      "Serves the mattora lookdev page: the material on a sphere, shaded through the built Maya\n"
      "plug-in and mental ray shader library, and the model's curves. HTTP: GET /render (PNG,\n"
      "or EXR with format=exr), GET /plot (JSON) and GET /export (the look as MEL or .mi text,\n"
      "with format=mel or mi), parameters named after mattora-preview's options.\n",
      "mattora-lookdev"};
  app.add_option("--port", settings.port, "port to listen on; 0: any free one (default: 8017)")
      ->check(CLI::Range(0, 65535));
  app.add_option("--listen", settings.address,
                 "address to listen on (default: 127.0.0.1, this machine only); another address "
                 "lets other machines render through this one");
  app.add_option("--threads", settings.renderThreads, "render threads (default: all cores)")
      ->check(CLI::Range(1, preview::kMaxThreads));
  app.add_option("--connections", settings.maxJobs,
                 "renders and plots worked on at once, sharing the render threads (default: 32); "
                 "more wait their turn, and connections waiting for a request take nothing")
      ->check(CLI::Range(1, 256));
  app.add_option("--maya-plugin", settings.mayaPlugin,
                 "the mattora plug-in to load (default: the one built with this program)");
  app.add_option("--mentalray-library", settings.mentalrayLibrary,
                 "the vela_mattora library to load (default: the one built with this program)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return fail(std::string(e.what()) + " (see --help)", 2);
  }

  // Ctrl-C and SIGTERM are taken by one thread of their own, so that the
  // server stops from an ordinary thread rather than a signal handler; every
  // thread started after this inherits the blocked set.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A client that closes its connection mid-answer must not end the server.
  signal(SIGPIPE, SIG_IGN);

  lookdev::Server server(settings);
  std::string error;
  if (!server.checkPlugins(error) || !server.bind(error)) return fail(error, 1);
  const std::string host = settings.address.find(':') != std::string::npos
                               ? "[" + settings.address + "]"
                               : settings.address;
  std::printf("mattora-lookdev: http://%s:%d/\n", host.c_str(), server.port());
  std::fflush(stdout);

  std::thread signals([&server, &stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });
  server.serve();
  // serve() also ends on a failure of its own; the signal thread then waits
  // for a signal that no one will send.
  pthread_kill(signals.native_handle(), SIGTERM);
  signals.join();
  std::printf("mattora-lookdev: stopped\n");
  return 0;
}
