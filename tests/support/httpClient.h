// A small HTTP/1.1 client on Boost.Beast for the tests and benchmarks of the
// lookdev server on 127.0.0.1: one GET, or several on one kept-alive
// connection, each bounded in time.
#pragma once

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <chrono>
#include <optional>
#include <string>

namespace testsupport {

struct HttpAnswer {
  int status = 0;
  boost::beast::http::fields headers;
  std::string body;

  std::string header(const std::string& name) const {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : std::string(found->value());
  }
};

class HttpConnection {
 public:
  explicit HttpConnection(int port, double timeoutSeconds = 60.0)
      : timeout_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(timeoutSeconds))),
        stream_(io_) {
    namespace asio = boost::asio;
    stream_.expires_after(timeout_);
    stream_.async_connect(asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"),
                                                  static_cast<unsigned short>(port)),
                          [this](boost::beast::error_code ec) { failed_ = static_cast<bool>(ec); });
    io_.run();
  }

  bool connected() const { return !failed_; }

  // Nothing when the connection failed, closed or ran out of time; the
  // connection is then unusable.
  std::optional<HttpAnswer> get(const std::string& target, bool keepAlive = true) {
    namespace http = boost::beast::http;
    if (failed_) return std::nullopt;
    http::request<http::empty_body> request{http::verb::get, target, 11};
    request.set(http::field::host, "127.0.0.1");
    request.keep_alive(keepAlive);
    http::response_parser<http::string_body> parser;
    parser.body_limit(1u << 30);
    stream_.expires_after(timeout_);
    http::async_write(stream_, request, [this, &parser](boost::beast::error_code ec, size_t) {
      if (ec) {
        failed_ = true;
        return;
      }
      http::async_read(stream_, buffer_, parser, [this](boost::beast::error_code read, size_t) {
        failed_ = static_cast<bool>(read);
      });
    });
    io_.restart();
    io_.run();
    if (failed_) return std::nullopt;
    HttpAnswer answer;
    const auto& message = parser.get();
    answer.status = static_cast<int>(message.result_int());
    for (const auto& field : message) answer.headers.insert(field.name_string(), field.value());
    answer.body = message.body();
    return answer;
  }

  // The socket, for a test that writes raw bytes or waits for the server to
  // close it.
  boost::asio::ip::tcp::socket& socket() { return stream_.socket(); }

 private:
  std::chrono::steady_clock::duration timeout_;
  boost::asio::io_context io_;
  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  bool failed_ = false;
};

// One GET on a connection of its own, closed after it.
inline std::optional<HttpAnswer> httpGet(int port, const std::string& target,
                                         double timeoutSeconds = 60.0) {
  HttpConnection connection(port, timeoutSeconds);
  return connection.get(target, false);
}

}  // namespace testsupport
