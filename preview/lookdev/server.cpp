#include "preview/lookdev/server.h"

#include "preview/lookdev/assets.h"
#include "preview/lookdev/request.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace lookdev {

namespace {

// Each kept-alive connection holds a pool thread while it waits for its next
// request; a short wait keeps several tabs from starving one another.
constexpr time_t kKeepAliveSeconds = 2;
// Past this many clients, those with no request running are forgotten.
constexpr size_t kMaxClients = 256;

std::string addressText(const sockaddr_storage& address, int& port) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    port = ntohs(in.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
    port = ntohs(in6.sin6_port);
  }
  return text;
}

// The socket of the connection a request came on. The HTTP library does not
// hand it to a handler, but it keeps the socket open while the handler runs,
// and the pair of addresses names one connection: among the process's
// sockets, the one whose two ends are the request's. -1 when none matches.
int connectionSocket(const httplib::Request& req) {
  DIR* fds = opendir("/proc/self/fd");
  if (!fds) return -1;
  int found = -1;
  while (const dirent* entry = readdir(fds)) {
    char* end = nullptr;
    const long fd = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || end == entry->d_name) continue;
    struct stat info;
    if (fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
    sockaddr_storage peer{}, local{};
    socklen_t peerLength = sizeof peer, localLength = sizeof local;
    if (getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 ||
        getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &localLength) != 0)
      continue;
    int peerPort = -1, localPort = -1;
    if (addressText(peer, peerPort) == req.remote_addr && peerPort == req.remote_port &&
        addressText(local, localPort) == req.local_addr && localPort == req.local_port) {
      found = static_cast<int>(fd);
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
