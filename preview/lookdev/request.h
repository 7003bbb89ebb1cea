// A request's query parameters, read as mattora-preview's options: each
// parameter is the option of the same name in the preview's table of
// options, read by the same code with the command line's limits.
#pragma once

#include "preview/options.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lookdev {

using Parameters = std::vector<std::pair<std::string, std::string>>;

// A request's target, its percent-escapes decoded ('+' in the query is a
// space, as a form sends it).
struct Target {
  std::string path;
  Parameters parameters;  // in the order they came
  // A parameter (its name as sent) whose escapes do not decode; empty when
  // all of them do.
  std::string malformed;
};
Target splitTarget(std::string_view target);

struct RequestOptions {
  bool ok = false;
  preview::Options options;
  std::string parameter;  // on failure: the parameter the problem is about
  std::string message;    // on failure: one line naming it
};

// Parameters in the order they came; a parameter given twice takes its last
// value, as an option does. A name or value holding a control character is
// refused whole: a C string would end at a NUL, and a log line at a break.
RequestOptions parseRequest(const Parameters& parameters);

// The one-line JSON body of a refused request: {"error": ..., "parameter": ...}
// (no parameter when empty).
std::string errorJson(const std::string& message, const std::string& parameter = {});

}  // namespace lookdev
