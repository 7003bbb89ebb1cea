#include "preview/lookdev/request.h"

#include <boost/url/src.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace lookdev {

namespace {

// A value as it may appear in a message: JSON escapes control characters, but
// a message should stay short whatever a client sends.
std::string shortened(const std::string& text) {
  return text.size() <= 80 ? text : text.substr(0, 77) + "...";
}

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

bool decoded(std::string_view escaped, bool query, std::string& text) {
  const auto checked = boost::urls::make_pct_string_view(escaped);
  if (!checked) return false;
  boost::urls::encoding_opts options;
  options.space_as_plus = query;
  text = checked->decode(options);
  return true;
}

}  // namespace

Target splitTarget(std::string_view target) {
  Target result;
  const size_t mark = target.find('?');
  const std::string_view path = target.substr(0, mark);
  // A path that does not decode names no page; it stays as sent.
  if (!decoded(path, false, result.path)) result.path = std::string(path);
  if (mark == std::string_view::npos) return result;
  std::string_view query = target.substr(mark + 1);
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (pair.empty()) continue;  // "a=1&&b=2" holds two parameters, not three
    const size_t equals = pair.find('=');
    const std::string_view name = pair.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
    std::string decodedName, decodedValue;
    const bool nameOk = decoded(name, true, decodedName);
    if (!nameOk || !decoded(value, true, decodedValue)) {
      if (result.malformed.empty())
        result.malformed = nameOk ? decodedName : shortened(std::string(name));
      if (!nameOk) decodedName = std::string(name);
    }
    result.parameters.emplace_back(std::move(decodedName), std::move(decodedValue));
  }
  return result;
}

RequestOptions parseRequest(const Parameters& parameters) {
  RequestOptions result;
  result.options = preview::lookdevDefaults();
  const auto refuse = [&result](const std::string& parameter, const std::string& message) {
    result.parameter = parameter;
    result.message = message;
    return result;
  };
  for (const auto& [name, value] : parameters) {
    const preview::OptionEntry* option = preview::requestParameter(name);
    if (!option) return refuse(shortened(name), "unknown parameter '" + shortened(name) + "'");
    const auto control = std::find_if(value.begin(), value.end(), isControl);
    if (control != value.end()) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned char>(*control));
      return refuse(name, name + ": the value holds the control character " + code +
                              "; expected printable text");
    }
    // In the order they came, so a parameter given twice takes its last value.
    const std::string problem = option->read({value}, preview::Front::Lookdev, result.options);
    if (!problem.empty()) return refuse(name, name + " " + problem);
  }
  result.ok = true;
  return result;
}

std::string errorJson(const std::string& message, const std::string& parameter) {
  nlohmann::json body{{"error", message}};
  if (!parameter.empty()) body["parameter"] = parameter;
  // Invalid UTF-8 in a client's bytes is replaced rather than thrown on.
  return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace lookdev
