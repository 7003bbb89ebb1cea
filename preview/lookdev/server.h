// mattora-lookdev's HTTP server: the page's own files, GET /render (a PNG or
// an EXR of the view) and GET /plot (JSON), on a bounded pool of threads.
#pragma once

#include "preview/lookdev/view.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
}

namespace lookdev {

struct ServerSettings {
  std::string address = "127.0.0.1";
  int port = 8017;  // 0: any free port
  int renderThreads = 1;
  int connectionThreads = 8;                 // requests served at once, each on a thread of its own
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
  int port() const { return port_; }
  // Serves until stop(); call after bind().
  void serve();
  // From any thread: drops every frame being rendered and ends serve().
  void stop();

 private:
  // A client's latest request; its earlier ones are superseded.
  struct Generation {
    std::atomic<std::uint64_t> latest{0};
  };
  std::shared_ptr<Generation> generationOf(const std::string& client);
  void routes();

  ServerSettings settings_;
  std::unique_ptr<httplib::Server> http_;
  ViewRenderer renderer_;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex clientsMutex_;
  std::map<std::string, std::shared_ptr<Generation>> clients_;
};

}  // namespace lookdev
