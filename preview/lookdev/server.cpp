#include "preview/lookdev/server.h"

#include "preview/lookdev/routes.h"
#include "preview/lookdev/view.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace lookdev {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Response = http::response<http::string_body>;

namespace {

// Past this many clients, those with no request running are forgotten.
constexpr size_t kMaxClients = 256;
// A request is a line and a few headers; no route reads a body.
constexpr std::uint32_t kHeaderLimit = 16 * 1024;
constexpr std::uint64_t kBodyLimit = 16 * 1024;

std::chrono::steady_clock::duration lasting(double seconds) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(seconds));
}

Response toResponse(Answer a) {
  Response res{static_cast<http::status>(a.status), 11};
  res.set(http::field::content_type, a.contentType);
  for (const auto& [name, value] : a.headers) res.set(name, value);
  res.body() = std::move(a.body);
  return res;
}

}  // namespace

struct Server::Impl {
  class Session;

  // A client's latest request; its earlier ones are superseded.
  struct Generation {
    std::atomic<std::uint64_t> latest{0};
  };

  explicit Impl(const ServerSettings& s)
      : settings(s), renderer(s.renderThreads, s.mayaPlugin, s.mentalrayLibrary, s.maxJobs) {}

  std::shared_ptr<Generation> generationOf(const std::string& client);
  void accept();
  void shutDown();
  void forget(Session* session);
  void resumeAccept();
  const ServerSettings settings;
  std::atomic<bool> stopping{false};
  std::mutex clientsMutex;
  std::map<std::string, std::shared_ptr<Generation>> clients;
  // The event loop's own: touched only from its thread. Declared before the
  // loop, which destroys the sessions it still holds as it goes.
  std::unordered_set<Session*> sessions;
  // Those waiting for a request or reading one, longest idle first: at the
  // connection limit the first makes room for a new client.
  std::list<Session*> idle;
  bool acceptPaused = false;
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  asio::steady_timer acceptRetry{io};
  int port = 0;
  // Last, so that its threads stop first: its jobs post their answers to `io`.
  ViewRenderer renderer;
};

// One client connection, driven by the event loop: waiting for a request,
// reading it, working on it (on the pool) or writing the answer.
class Server::Impl::Session : public std::enable_shared_from_this<Session> {
 public:
  Session(Impl& server, tcp::socket socket) : server_(server), stream_(std::move(socket)) {
    server_.sessions.insert(this);
    beast::error_code ignored;
    localAddress_ = stream_.socket().local_endpoint(ignored).address().to_string();
    stream_.socket().set_option(tcp::no_delay(true), ignored);
    // For the hang-up check's peek, which must not wait; Beast's own
    // asynchronous reads and writes are unaffected.
    stream_.socket().non_blocking(true, ignored);
  }
  ~Session() {
    busy();
    server_.forget(this);
  }

  void start() { waitForRequest(); }

  // Closed to make room for a new client: no longer counted as open.
  void evict() {
    busy();
    server_.sessions.erase(this);
    close();
  }

  // The server is stopping: a connection with no request under way closes;
  // one being worked on answers 503 once its job sees the stop.
  void stop() {
    if (state_ == State::Waiting) close();
  }

 private:
  enum class State { Waiting, Working, Writing };

  // In the line of idle connections, at its end, from when it began to wait
  // for a request until the request is read.
  void idle() {
    if (idleAt_) return;
    idleAt_ = server_.idle.insert(server_.idle.end(), this);
    // One that can make room for a new client.
    server_.resumeAccept();
  }
  void busy() {
    if (!idleAt_) return;
    server_.idle.erase(*idleAt_);
    idleAt_.reset();
  }

  void waitForRequest() {
    state_ = State::Waiting;
    if (server_.stopping) return close();
    idle();
    if (buffer_.size() > 0) return readRequest();  // sent before the last answer went out
    // Waiting for a request to begin costs no thread, only this limit.
    stream_.expires_after(lasting(server_.settings.idleSeconds));
    stream_.async_read_some(buffer_.prepare(kHeaderLimit),
                            [self = shared_from_this()](beast::error_code ec, size_t bytes) {
                              if (ec) return self->close();
                              self->buffer_.commit(bytes);
                              self->readRequest();
                            });
  }

  void readRequest() {
    parser_.emplace();
    parser_->header_limit(kHeaderLimit);
    parser_->body_limit(kBodyLimit);
    stream_.expires_after(lasting(server_.settings.readSeconds));
    http::async_read(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code ec, size_t) { self->onRequest(ec); });
  }

  void onRequest(beast::error_code ec) {
    busy();
    if (ec) {
      // A request the parser refuses gets an answer; a connection that
      // closed, failed or ran out of time does not.
      if (ec.category() != beast::http::make_error_code(http::error::bad_target).category() ||
          ec == http::error::end_of_stream || ec == http::error::partial_message)
        return close();
      keepAlive_ = false;
      head_ = false;
      if (ec == http::error::header_limit) {
        // Its first line alone overran the limit, or its header fields did.
        const auto* read = static_cast<const char*>(buffer_.data().data());
        const std::string_view head(read, buffer_.size());
        if (head.find("\r\n") == std::string_view::npos)
          return send(refusal(414, "the request's target is longer than this server reads (" +
                                       std::to_string(kHeaderLimit / 1024) + " KiB)"));
        return send(refusal(431, "the request's header fields are longer than this server reads (" +
                                     std::to_string(kHeaderLimit / 1024) + " KiB)"));
      }
      return send(refusal(400, "the request is not HTTP this server reads"));
    }
    const http::request<http::string_body>& request = parser_->get();
    version_ = request.version();
    keepAlive_ = request.keep_alive();
    head_ = request.method() == http::verb::head;
    Request asked{std::string(request.method_string()), std::string(request.target()), std::nullopt,
                  version_, localAddress_};
    if (const auto host = request.find(http::field::host); host != request.end())
      asked.host = std::string(host->value());
    Routed routed;
    try {
      routed = route(asked, server_.settings.address);
    } catch (const std::exception&) {
      return send(refusal(500, "the server failed on this request"));
    }
    if (routed.work == Routed::Work::None) return send(std::move(routed.answer));
    work(routed.work == Routed::Work::Render, routed.options);
  }

  // Renders and plots run on the render threads; meanwhile the loop watches
  // the connection, so that a client that leaves drops its render.
  void work(bool render, const preview::Options& options) {
    state_ = State::Working;
    stream_.expires_never();
    gone_ = std::make_shared<std::atomic<bool>>(false);
    const std::uint64_t job = ++job_;
    watchHangUp(job);
    // The answer is written by the loop, which the work keeps running.
    auto reply = [self = shared_from_this(), job,
                  busy =
                      std::make_shared<asio::executor_work_guard<asio::io_context::executor_type>>(
                          server_.io.get_executor())](Answer answer) mutable {
      // Handed on, so that the thread that finished the work holds neither.
      asio::io_context& io = self->server_.io;
      asio::post(io,
                 [self = std::move(self), busy = std::move(busy), job,
                  answer = std::move(answer)]() mutable { self->finish(job, std::move(answer)); });
    };
    Impl& server = server_;
    if (!render) {
      return server.renderer.plot(options,
                                  [reply](bool ok, Plot& plot, const std::string& error) mutable {
                                    reply(ok ? plotAnswer(plot) : refusal(500, error));
                                  });
    }
    // Counted here, in the order requests arrive, not when the render
    // threads get to them: an older request still waiting must not
    // supersede a newer one.
    std::shared_ptr<Generation> generation;
    std::uint64_t mine = 0;
    if (!options.client.empty()) {
      generation = server.generationOf(options.client);
      mine = ++generation->latest;
    }
    // A newer request of the same client supersedes this one; so does the
    // client going away, and the server stopping.
    auto cancelled = [&server, generation, mine, gone = gone_] {
      return server.stopping.load() || (generation && generation->latest.load() != mine) ||
             gone->load();
    };
    server.renderer.render(
        options, cancelled,
        [reply, &server](bool ok, Frame& frame, const std::string& error) mutable {
          if (!ok) return reply(refusal(500, error));
          if (!frame.cancelled) return reply(frameAnswer(std::move(frame)));
          reply(server.stopping ? refusal(503, "the server is stopping")
                                : refusal(409, "superseded by a newer request"));
        });
  }

  // A readable socket while no request is expected means the client hung up
  // (or sent its next request early, which says it is still there).
  void watchHangUp(std::uint64_t job) {
    stream_.socket().async_wait(
        tcp::socket::wait_read, [self = shared_from_this(), job](beast::error_code ec) {
          if (ec == asio::error::operation_aborted || self->state_ != State::Working ||
              job != self->job_)
            return;
          if (!ec) {
            char byte;
            self->stream_.socket().receive(asio::buffer(&byte, 1), tcp::socket::message_peek, ec);
            if (!ec) return;
            if (ec == asio::error::would_block || ec == asio::error::interrupted)
              return self->watchHangUp(job);
          }
          self->gone_->store(true);
        });
  }

  void finish(std::uint64_t job, Answer res) {
    if (job != job_) return;
    beast::error_code ignored;
    stream_.socket().cancel(ignored);  // the hang-up watch
    // A departed client gets nothing, not even the 409.
    if (gone_->load()) return close();
    send(std::move(res));
  }

  void send(Answer answer) {
    state_ = State::Writing;
    Response res = toResponse(std::move(answer));
    res.version(version_);
    res.keep_alive(keepAlive_ && !server_.stopping);
    if (head_) {
      const size_t size = res.body().size();
      res.body().clear();
      res.content_length(size);
    } else {
      res.prepare_payload();
    }
    response_ = std::move(res);
    stream_.expires_after(lasting(server_.settings.writeSeconds));
    http::async_write(stream_, response_,
                      [self = shared_from_this()](beast::error_code ec, size_t) {
                        if (ec || !self->response_.keep_alive() || self->server_.stopping)
                          return self->close();
                        self->waitForRequest();
                      });
  }

  void close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

  Impl& server_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  Response response_;
  State state_ = State::Waiting;
  unsigned version_ = 11;
  bool keepAlive_ = false, head_ = false;
  std::uint64_t job_ = 0;
  std::shared_ptr<std::atomic<bool>> gone_;  // the client left while its request was worked on
  std::optional<std::list<Session*>::iterator> idleAt_;  // its place among the idle
  std::string localAddress_;
};

std::shared_ptr<Server::Impl::Generation> Server::Impl::generationOf(const std::string& client) {
  const std::lock_guard<std::mutex> lock(clientsMutex);
  if (clients.size() >= kMaxClients) {
    for (auto it = clients.begin(); it != clients.end();)
      it = it->second.use_count() == 1 ? clients.erase(it) : std::next(it);
  }
  std::shared_ptr<Generation>& generation = clients[client];
  if (!generation) generation = std::make_shared<Generation>();
  return generation;
}

void Server::Impl::accept() {
  acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (stopping || ec == asio::error::operation_aborted) return;
    if (ec) {
      // Out of descriptors, say: try again shortly rather than spin.
      acceptRetry.expires_after(std::chrono::milliseconds(100));
      acceptRetry.async_wait([this](beast::error_code waited) {
        if (!waited && !stopping) accept();
      });
      return;
    }
    // At the limit, the connection idle the longest makes room: a client
    // that comes is answered, whoever holds connections open and sends
    // nothing on them.
    if (sessions.size() >= static_cast<size_t>(settings.maxConnections) && !idle.empty())
      idle.front()->evict();
    std::make_shared<Session>(*this, std::move(socket))->start();
    // Every connection busy: further clients wait in the listen queue until
    // one is idle or leaves.
    if (sessions.size() >= static_cast<size_t>(settings.maxConnections) && idle.empty())
      acceptPaused = true;
    else
      accept();
  });
}

void Server::Impl::resumeAccept() {
  if (acceptPaused && !stopping) {
    acceptPaused = false;
    accept();
  }
}

void Server::Impl::forget(Session* session) {
  sessions.erase(session);
  resumeAccept();
}

void Server::Impl::shutDown() {
  beast::error_code ignored;
  acceptor.close(ignored);
  acceptRetry.cancel();
  for (Session* session : std::vector<Session*>(sessions.begin(), sessions.end())) session->stop();
}

Server::Server(const ServerSettings& settings) : impl_(std::make_unique<Impl>(settings)) {}

Server::~Server() {
  // Whatever still runs sees the stop; the members then end in order: the
  // pool joins, and the loop drops the sessions it holds.
  impl_->stopping = true;
}

bool Server::checkPlugins(std::string& error) {
  Plot plot;
  return impl_->renderer.plot(preview::lookdevDefaults(), plot, error);
}

bool Server::bind(std::string& error) {
  Impl& impl = *impl_;
  const ServerSettings& s = impl.settings;
  beast::error_code ec;
  tcp::resolver resolver(impl.io);
  const auto endpoints =
      resolver.resolve(s.address, std::to_string(s.port),
                       tcp::resolver::passive | tcp::resolver::numeric_service, ec);
  std::string why = ec ? ec.message() : "no such address";
  for (const auto& entry : endpoints) {
    beast::error_code ignored;
    impl.acceptor.open(entry.endpoint().protocol(), ec);
    if (!ec) impl.acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) impl.acceptor.bind(entry.endpoint(), ec);
    if (!ec) impl.acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (!ec) {
      impl.port = impl.acceptor.local_endpoint().port();
      return true;
    }
    why = ec.message();
    impl.acceptor.close(ignored);
  }
  error = "cannot listen on " + s.address + " port " + std::to_string(s.port) + ": " + why;
  return false;
}

int Server::port() const { return impl_->port; }

void Server::serve() {
  if (!impl_->stopping) impl_->accept();
  impl_->io.run();
}

void Server::stop() {
  impl_->stopping = true;
  asio::post(impl_->io, [impl = impl_.get()] { impl->shutDown(); });
}

}  // namespace lookdev
