#include "preview/lookdev/routes.h"

#include "preview/look.h"
#include "preview/lookdev/assets.h"
#include "preview/lookdev/request.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace lookdev {

namespace {

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

Routed route(const Request& request) {
  Routed routed;
  Answer& a = routed.answer;
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
