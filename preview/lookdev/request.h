// A request's query parameters, read as mattora-preview's options: each
// parameter is the option of the same name, and the preview's own parser
// checks it, with the command line's limits.
#pragma once

#include "preview/options.h"

#include <string>
#include <utility>
#include <vector>

namespace lookdev {

struct RequestOptions {
  bool ok = false;
  preview::Options options;
  std::string parameter;  // on failure: the parameter the problem is about
  std::string message;    // on failure: one line naming it
};

// Parameters in the order they came; a parameter given twice takes its last
// value, as an option does.
RequestOptions parseRequest(const std::vector<std::pair<std::string, std::string>>& parameters);

// The one-line JSON body of a refused request: {"error": ..., "parameter": ...}
// (no parameter when empty).
std::string errorJson(const std::string& message, const std::string& parameter = {});

}  // namespace lookdev
