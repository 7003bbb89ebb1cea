#include "preview/lookdev/request.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace lookdev {

namespace {

bool isRequestParameter(const std::string& name) {
  return std::any_of(std::begin(preview::kRequestParameters), std::end(preview::kRequestParameters),
                     [&name](const char* known) { return name == known; });
}

// A value as it may appear in a message: JSON escapes control characters, but
// a message should stay short whatever a client sends.
std::string shortened(const std::string& text) {
  return text.size() <= 80 ? text : text.substr(0, 77) + "...";
}

}  // namespace

RequestOptions parseRequest(const std::vector<std::pair<std::string, std::string>>& parameters) {
  RequestOptions result;
  std::vector<std::string> args;
  for (const auto& [name, value] : parameters) {
    if (!isRequestParameter(name)) {
      result.parameter = shortened(name);
      result.message = "unknown parameter '" + result.parameter + "'";
      return result;
    }
    if (preview::isFlagParameter(name)) {
      // A flag is on or off; off is the option left out, and a later value
      // of the same flag must still win.
      args.erase(std::remove(args.begin(), args.end(), "--" + name), args.end());
      if (value.empty() || value == "1" || value == "true") {
        args.push_back("--" + name);
      } else if (value != "0" && value != "false") {
        result.parameter = name;
        result.message = name + " '" + shortened(value) + "': expected 1, true, 0 or false";
        return result;
      }
      continue;
    }
    args.push_back("--" + name + "=" + value);
  }
  const preview::ParseResult parsed = preview::parseOptions(args, preview::Front::Lookdev);
  if (parsed.action == preview::ParseResult::Action::Render) {
    result.ok = true;
    result.options = parsed.options;
    return result;
  }
  // The parser's messages start with the option, "--name ...".
  std::string message = parsed.error;
  if (message.rfind("--", 0) == 0) message.erase(0, 2);
  const size_t end = message.find_first_of(" :'");
  std::string named = message.substr(0, end);
  result.parameter = isRequestParameter(named) ? named : std::string();
  result.message = message;
  return result;
}

std::string errorJson(const std::string& message, const std::string& parameter) {
  nlohmann::json body{{"error", message}};
  if (!parameter.empty()) body["parameter"] = parameter;
  // Invalid UTF-8 in a client's bytes is replaced rather than thrown on.
  return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace lookdev
