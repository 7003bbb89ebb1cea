// What mattora-lookdev answers to a request, as a function of the request
// alone: no socket, no thread. The server reads requests off its connections
// and writes these answers back; renders and plots are handed to the render
// threads and their results turned into answers here too.
#pragma once

#include "preview/lookdev/view.h"
#include "preview/options.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lookdev {

struct Answer {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // besides Content-Type

  // The value of a header the answer sets; empty when it sets none.
  std::string header(const std::string& name) const;
};

// A refusal: one line of JSON, {"error": ..., "parameter": ...} (no
// parameter when empty).
Answer refusal(int status, const std::string& message, const std::string& parameter = {});

struct Request {
  std::string method;               // "GET"
  std::string target;               // as sent: path and query
  std::optional<std::string> host;  // the Host header, when there is one
  unsigned version = 11;            // 10 or 11
  // The address the connection arrived on (numeric); the Host header may
  // name it.
  std::string localAddress;
};

// What the server does with a request: answer at once, or render or plot the
// options on the render threads and answer with frameAnswer or plotAnswer.
struct Routed {
  enum class Work { None, Render, Plot };
  Work work = Work::None;
  Answer answer;             // Work::None
  preview::Options options;  // Render, Plot
};

// Whom the server answers: a Host header naming a loopback name or address,
// the address it listens on (`listenAddress`), the address the connection
// arrived on, or this machine's name. Any other name may be a page of
// another site that the browser reaches through a name it rebound to this
// machine: 403.
Routed route(const Request& request, const std::string& listenAddress);

Answer frameAnswer(Frame frame);
Answer plotAnswer(const Plot& plot);

}  // namespace lookdev
