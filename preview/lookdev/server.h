// mattora-lookdev's HTTP server: the page's own files, GET /render (a PNG or
// an EXR of the view), GET /plot (JSON) and GET /export (the look as MEL or
// .mi text). Connections are served by one event loop, so a client that is
// idle or slow holds no thread; renders and plots share the render threads.
#pragma once

#include <memory>
#include <string>

namespace lookdev {

struct ServerSettings {
  std::string address = "127.0.0.1";
  int port = 8017;           // 0: any free port
  int renderThreads = 1;     // shared by every render and plot
  int maxJobs = 32;          // renders and plots worked on at once; more wait, holding no thread
  int maxConnections = 512;  // open at once; more wait in the listen queue
  // A connection is closed when no request begins within `idleSeconds`, when
  // one that has begun is not complete within `readSeconds`, or when an
  // answer is not taken within `writeSeconds`.
  double idleSeconds = 30.0;
  double readSeconds = 10.0;
  double writeSeconds = 60.0;
  std::string mayaPlugin, mentalrayLibrary;  // empty: the ones built beside the program
};

class Server {
 public:
  explicit Server(const ServerSettings& settings);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Loads both plug-in files once, as every request will; false with `error`
  // naming the problem when one cannot be used.
  bool checkPlugins(std::string& error);
  // Binds the address and port; false with `error` when it cannot.
  bool bind(std::string& error);
  int port() const;
  // Serves until stop(); call after bind(), from one thread.
  void serve();
  // From any thread: drops every frame being rendered, answers the requests
  // still open with 503 and ends serve().
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace lookdev
