// What mattora-lookdev answers to a request, as a function of the request
// alone: no socket, no thread. The server reads requests off its connections
// and writes these answers back; renders and plots are handed to the render
// threads and their results turned into answers here too.
#pragma once

#include "preview/lookdev/view.h"
#include "preview/options.h"

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
  std::string method;  // "GET"
  std::string target;  // as sent: path and query
};

// What the server does with a request: answer at once, or render or plot the
// options on the render threads and answer with frameAnswer or plotAnswer.
struct Routed {
  enum class Work { None, Render, Plot };
  Work work = Work::None;
  Answer answer;             // Work::None
  preview::Options options;  // Render, Plot
};

Routed route(const Request& request);

Answer frameAnswer(Frame frame);
Answer plotAnswer(const Plot& plot);

}  // namespace lookdev
