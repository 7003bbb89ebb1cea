#include "preview/lookdev/routes.h"

#include "preview/look.h"
#include "preview/lookdev/assets.h"
#include "preview/lookdev/request.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

namespace lookdev {

namespace {

using Address = std::array<unsigned char, 16>;

// An address written as text, as IPv6 bytes (IPv4 mapped into them);
// nothing when the text is no address.
std::optional<Address> addressOf(const std::string& text) {
  Address bytes{};
  in_addr v4;
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
    bytes[10] = bytes[11] = 0xff;
    std::memcpy(&bytes[12], &v4, 4);
    return bytes;
  }
  in6_addr v6;
  if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) {
    std::memcpy(bytes.data(), &v6, 16);
    return bytes;
  }
  return std::nullopt;
}

bool isLoopback(const Address& a) {
  static const Address v6{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  const bool mapped = std::all_of(a.begin(), a.begin() + 10, [](unsigned char b) { return !b; }) &&
                      a[10] == 0xff && a[11] == 0xff;
  return a == v6 || (mapped && a[12] == 127);
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The name or address of a Host header, without its port, brackets or a
// final dot, in lower case.
std::string hostPart(const std::string& header) {
  std::string name = header;
  if (!name.empty() && name[0] == '[') {
    const size_t close = name.find(']');
    name = close == std::string::npos ? std::string() : name.substr(1, close - 1);
  } else if (const size_t colon = name.find(':');
             colon != std::string::npos && name.find(':', colon + 1) == std::string::npos) {
    name = name.substr(0, colon);
  }
  if (!name.empty() && name.back() == '.') name.pop_back();
  return lowered(name);
}

const std::string& machineName() {
  static const std::string name = [] {
    char text[HOST_NAME_MAX + 1] = {};
    return gethostname(text, sizeof text - 1) == 0 ? lowered(text) : std::string();
  }();
  return name;
}

bool answersTo(const std::string& header, const std::string& listenAddress,
               const std::string& localAddress) {
  const std::string name = hostPart(header);
  if (name.empty()) return false;
  if (name == "localhost" ||
      (name.size() > 10 && name.compare(name.size() - 10, 10, ".localhost") == 0))
    return true;
  if (const std::optional<Address> address = addressOf(name)) {
    if (isLoopback(*address)) return true;
    for (const std::string& own : {listenAddress, localAddress})
      if (addressOf(own) == address) return true;
    return false;
  }
  return name == lowered(listenAddress) || (!machineName().empty() && name == machineName());
}

Answer answer(int status, std::string body, const char* contentType) {
  Answer a;
  a.status = status;
  a.contentType = contentType;
  a.body = std::move(body);
  return a;
}

std::string formatted(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string Answer::header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (key == name) return value;
  return {};
}

Answer refusal(int status, const std::string& message, const std::string& parameter) {
  return answer(status, errorJson(message, parameter) + "\n", "application/json");
}

Routed route(const Request& request, const std::string& listenAddress) {
  Routed routed;
  Answer& a = routed.answer;
  if (!request.host) {
    if (request.version >= 11) {
      a = refusal(400, "an HTTP/1.1 request needs a Host header");
      return routed;
    }
  } else if (!answersTo(*request.host, listenAddress, request.localAddress)) {
    std::string host = *request.host;
    if (host.size() > 80) host = host.substr(0, 77) + "...";
    a = refusal(403, "the Host header names '" + host +
                         "', not this machine; open the page through 127.0.0.1, localhost or the "
                         "address the server listens on");
    return routed;
  }
  if (request.method != "GET" && request.method != "HEAD") {
    a = refusal(405, "only GET and HEAD are served");
    a.headers.emplace_back("Allow", "GET, HEAD");
    return routed;
  }
  const Target target = splitTarget(request.target);
  const std::string& path = target.path;
  const bool render = path == "/render", plot = path == "/plot", look = path == "/export";
  if (!render && !plot && !look) {
    // The table holds the only names there are, whatever a path spells.
    const Asset* asset = findAsset(path);
    a = asset ? answer(200, std::string(reinterpret_cast<const char*>(asset->data), asset->size),
                       asset->contentType)
              : refusal(404, "no such page");
    return routed;
  }
  if (!target.malformed.empty()) {
    a = refusal(400,
                target.malformed + ": a percent-escape is malformed; expected % and two hex digits",
                target.malformed);
    return routed;
  }
  Parameters parameters = target.parameters;
  preview::LookFormat format = preview::LookFormat::None;
  if (look) {
    // Here format names the look; the other parameters are the page's.
    std::string name;
    for (auto it = parameters.begin(); it != parameters.end();) {
      if (it->first != "format") {
        ++it;
        continue;
      }
      name = it->second;
      it = parameters.erase(it);
    }
    if (!preview::lookFormatFromName(name, format)) {
      a = refusal(400, "format: expected mel or mi", "format");
      return routed;
    }
  }
  const RequestOptions parsed = parseRequest(parameters);
  if (!parsed.ok) {
    a = refusal(400, parsed.message, parsed.parameter);
    return routed;
  }
  if (look) {
    a = answer(200, preview::lookText(parsed.options, format), "text/plain; charset=utf-8");
    a.headers.emplace_back("Cache-Control", "no-store");
    return routed;
  }
  routed.work = render ? Routed::Work::Render : Routed::Work::Plot;
  routed.options = parsed.options;
  return routed;
}

Answer frameAnswer(Frame frame) {
  Answer a = answer(200, std::move(frame.body), frame.contentType.c_str());
  a.headers = {{"Cache-Control", "no-store"},
               {"X-Mattora-Summary", frame.summary},
               {"X-Mattora-Spheres", frame.spheres},
               {"X-Mattora-Frame-Seconds", formatted("%.6f", frame.seconds)}};
  if (frame.maxDifference >= 0.0)
    a.headers.emplace_back("X-Mattora-Max-Difference", formatted("%.6g", frame.maxDifference));
  return a;
}

Answer plotAnswer(const Plot& plot) {
  nlohmann::json curves = nlohmann::json::array();
  for (const Curve& c : plot.curves)
    curves.push_back({{"roughness", c.roughness},
                      {"A", c.A},
                      {"B", c.B},
                      {"maya", c.maya},
                      {"mentalray", c.mentalray}});
  const nlohmann::json body{{"elevation", plot.elevation},
                            {"lambert", plot.lambert},
                            {"angles", plot.angles},
                            {"curves", curves}};
  Answer a = answer(200, body.dump() + "\n", "application/json");
  a.headers.emplace_back("Cache-Control", "no-store");
  return a;
}

}  // namespace lookdev
