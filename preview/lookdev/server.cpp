#include "preview/lookdev/server.h"

#include "preview/lookdev/assets.h"
#include "preview/lookdev/request.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace lookdev {

namespace {

// Each kept-alive connection holds a pool thread while it waits for its next
// request; a short wait keeps several tabs from starving one another.
constexpr time_t kKeepAliveSeconds = 2;
// Past this many clients, those with no request running are forgotten.
constexpr size_t kMaxClients = 256;

// An address as /proc/net/tcp and tcp6 print it: the address's bytes read
// as native 32-bit words, each in 8 upper-case hex digits, then the port.
std::string kernelAddress(const std::string& address, int port, bool& v6) {
  unsigned char bytes[16];
  size_t words = 0;
  if (inet_pton(AF_INET, address.c_str(), bytes) == 1) {
    words = 1;
    v6 = false;
  } else if (inet_pton(AF_INET6, address.c_str(), bytes) == 1) {
    words = 4;
    v6 = true;
  } else {
    return {};
  }
  std::string text;
  for (size_t i = 0; i < words; ++i) {
    std::uint32_t word;
    std::memcpy(&word, bytes + 4 * i, 4);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", word);
    text += hex;
  }
  char portHex[8];
  std::snprintf(portHex, sizeof portHex, ":%04X", static_cast<unsigned>(port) & 0xffffu);
  return text + portHex;
}

// The socket of the connection a request came on. The HTTP library does not
// hand it to a handler, but it keeps it open while the handler runs. The
// kernel's table of TCP connections gives the inode of the one whose two
// ends are the request's, and /proc/self/fd the descriptor that names that
// inode. Only names are read: the process's other descriptors, which other
// threads open and close meanwhile, are never touched. -1 when none matches.
int connectionSocket(const httplib::Request& req) {
  bool v6 = false, remoteV6 = false;
  const std::string local = kernelAddress(req.local_addr, req.local_port, v6);
  const std::string remote = kernelAddress(req.remote_addr, req.remote_port, remoteV6);
  if (local.empty() || remote.empty() || v6 != remoteV6) return -1;

  std::ifstream table(v6 ? "/proc/net/tcp6" : "/proc/net/tcp");
  std::string line, inode;
  std::getline(table, line);  // the column names
  while (inode.empty() && std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, localField, remoteField, skip, inodeField;
    fields >> slot >> localField >> remoteField;
    for (int i = 0; i < 6; ++i) fields >> skip;
    fields >> inodeField;
    if (localField == local && remoteField == remote) inode = inodeField;
  }
  if (inode.empty()) return -1;

  const std::string wanted = "socket:[" + inode + "]";
  DIR* fds = opendir("/proc/self/fd");
  if (!fds) return -1;
  int found = -1;
  while (const dirent* entry = readdir(fds)) {
    const std::string path = std::string("/proc/self/fd/") + entry->d_name;
    char target[64];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    if (length > 0 && std::string(target, static_cast<size_t>(length)) == wanted) {
      found = std::atoi(entry->d_name);
      break;
    }
  }
  closedir(fds);
  return found;
}

// True once the client has closed its end: a browser that drops a fetch, a
// script killed mid-request.
bool clientGone(int socket) {
  if (socket < 0) return false;
  pollfd p{socket, POLLRDHUP, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

std::vector<std::pair<std::string, std::string>> parametersOf(const httplib::Request& req) {
  return {req.params.begin(), req.params.end()};
}

void refuse(httplib::Response& res, int status, const std::string& message,
            const std::string& parameter = {}) {
  res.status = status;
  res.set_content(errorJson(message, parameter) + "\n", "application/json");
}

nlohmann::json plotJson(const Plot& plot) {
  nlohmann::json curves = nlohmann::json::array();
  for (const Curve& c : plot.curves)
    curves.push_back({{"roughness", c.roughness},
                      {"A", c.A},
                      {"B", c.B},
                      {"maya", c.maya},
                      {"mentalray", c.mentalray}});
  return {{"elevation", plot.elevation},
          {"lambert", plot.lambert},
          {"angles", plot.angles},
          {"curves", curves}};
}

}  // namespace

Server::Server(const ServerSettings& settings)
    : settings_(settings),
      http_(std::make_unique<httplib::Server>()),
      renderer_(settings.renderThreads, settings.mayaPlugin, settings.mentalrayLibrary) {
  const int threads = settings_.connectionThreads;
  http_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  http_->set_keep_alive_timeout(kKeepAliveSeconds);
  // The headers and the body go out in separate writes; with Nagle's
  // algorithm the body would wait for the client's delayed acknowledgement
  // of the headers, some 40 ms on Linux.
  http_->set_tcp_nodelay(true);
  routes();
}

Server::~Server() { stop(); }

bool Server::checkPlugins(std::string& error) {
  Plot plot;
  return renderer_.plot(preview::parseOptions({}, preview::Front::Lookdev).options, plot, error);
}

bool Server::bind(std::string& error) {
  if (settings_.port == 0) {
    port_ = http_->bind_to_any_port(settings_.address);
  } else {
    port_ = http_->bind_to_port(settings_.address, settings_.port) ? settings_.port : -1;
  }
  if (port_ <= 0) {
    error = "cannot listen on " + settings_.address + " port " + std::to_string(settings_.port);
    return false;
  }
  return true;
}

void Server::serve() { http_->listen_after_bind(); }

void Server::stop() {
  stopping_ = true;
  http_->stop();
}

std::shared_ptr<Server::Generation> Server::generationOf(const std::string& client) {
  const std::lock_guard<std::mutex> lock(clientsMutex_);
  if (clients_.size() >= kMaxClients) {
    for (auto it = clients_.begin(); it != clients_.end();)
      it = it->second.use_count() == 1 ? clients_.erase(it) : std::next(it);
  }
  std::shared_ptr<Generation>& generation = clients_[client];
  if (!generation) generation = std::make_shared<Generation>();
  return generation;
}

void Server::routes() {
  http_->Get("/render", [this](const httplib::Request& req, httplib::Response& res) {
    const RequestOptions request = parseRequest(parametersOf(req));
    if (!request.ok) return refuse(res, 400, request.message, request.parameter);

    // A newer request of the same client supersedes this one; so does the
    // client going away, and the server stopping.
    std::shared_ptr<Generation> generation;
    std::uint64_t mine = 0;
    if (!request.options.client.empty()) {
      generation = generationOf(request.options.client);
      mine = ++generation->latest;
    }
    const int socket = connectionSocket(req);
    const auto cancelled = [&] {
      return stopping_.load() || (generation && generation->latest.load() != mine) ||
             clientGone(socket);
    };
    Frame frame;
    std::string error;
    if (!renderer_.render(request.options, cancelled, frame, error)) return refuse(res, 500, error);
    if (frame.cancelled)
      return refuse(res, stopping_ ? 503 : 409,
                    stopping_ ? "the server is stopping" : "superseded by a newer request");
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Mattora-Summary", frame.summary);
    res.set_header("X-Mattora-Spheres", frame.spheres);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f", frame.seconds);
    res.set_header("X-Mattora-Frame-Seconds", seconds);
    if (frame.maxDifference >= 0.0) {
      char difference[32];
      std::snprintf(difference, sizeof difference, "%.6g", frame.maxDifference);
      res.set_header("X-Mattora-Max-Difference", difference);
    }
    res.set_content(std::move(frame.body), frame.contentType.c_str());
  });

  http_->Get("/plot", [this](const httplib::Request& req, httplib::Response& res) {
    const RequestOptions request = parseRequest(parametersOf(req));
    if (!request.ok) return refuse(res, 400, request.message, request.parameter);
    Plot plot;
    std::string error;
    if (!renderer_.plot(request.options, plot, error)) return refuse(res, 500, error);
    res.set_header("Cache-Control", "no-store");
    res.set_content(plotJson(plot).dump() + "\n", "application/json");
  });

  // Everything else is one of the page's files or nothing: the table holds
  // the only names there are, whatever a path spells.
  http_->Get(".*", [](const httplib::Request& req, httplib::Response& res) {
    const Asset* asset = findAsset(req.path);
    if (!asset) return refuse(res, 404, "no such page");
    res.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->contentType);
  });
  http_->set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) refuse(res, res.status, "the server cannot answer this request");
  });
  http_->set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        refuse(res, 500, "the server failed on this request");
      });
}

}  // namespace lookdev
