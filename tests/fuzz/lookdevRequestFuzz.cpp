// Fuzzes the lookdev server's reading of a request's query string into the
// preview's options, from the raw bytes of the target through the decoding
// of its escapes. A request is either accepted with options inside every
// limit of the command line and no control character in any value, or refused
// with one line of JSON that names a parameter the query holds.
#include "fuzzInput.h"
#include "preview/lookdev/request.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

bool finite(const preview::Rgb& c) {
  return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b);
}

void checkAccepted(const preview::Options& o) {
  FUZZ_CHECK(o.width >= 1 && o.width <= preview::kMaxSide && o.height >= 1 &&
                 o.height <= preview::kMaxSide,
             "size %dx%d", o.width, o.height);
  FUZZ_CHECK(static_cast<long long>(o.width) * o.height <= preview::kMaxPixels, "%dx%d pixels",
             o.width, o.height);
  FUZZ_CHECK(o.samplesPerPixel >= 1 && o.samplesPerPixel <= preview::kMaxSamplesPerPixel, "spp %d",
             o.samplesPerPixel);
  FUZZ_CHECK(!o.roughness.empty() && static_cast<int>(o.roughness.size()) <= preview::kMaxSpheres,
             "%zu roughness values", o.roughness.size());
  for (const float sigma : o.roughness) FUZZ_CHECK(std::isfinite(sigma), "roughness %g", sigma);
  FUZZ_CHECK(finite(o.color) && std::isfinite(o.diffuse) && std::isfinite(o.translucence),
             "a material value is not finite");
  if (o.hasKeyLight) {
    const double length =
        std::sqrt(double(o.keyLight.x) * o.keyLight.x + double(o.keyLight.y) * o.keyLight.y +
                  double(o.keyLight.z) * o.keyLight.z);
    FUZZ_CHECK(std::fabs(length - 1.0) < 1e-5, "key light of length %g", length);
  }
  FUZZ_CHECK(o.client.size() <= 64, "client name of %zu bytes", o.client.size());
  // A request never chooses what the server loads, writes or how many
  // threads it starts.
  FUZZ_CHECK(o.mayaPlugin.empty() && o.mentalrayLibrary.empty() && o.threads == 0 &&
                 o.output == preview::Options{}.output,
             "a request set a file or the threads");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string query(reinterpret_cast<const char*>(data), size);
  const lookdev::Target target = lookdev::splitTarget("/render?" + query);
  const lookdev::Parameters& parameters = target.parameters;

  lookdev::RequestOptions request;
  if (!target.malformed.empty()) {
    // The server refuses the request, naming this parameter.
    request.parameter = target.malformed;
    request.message = target.malformed + ": a percent-escape is malformed";
  } else {
    request = lookdev::parseRequest(parameters);
  }
  if (request.ok) {
    checkAccepted(request.options);
    for (const auto& [name, value] : parameters)
      FUZZ_CHECK(
          std::none_of(value.begin(), value.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }),
          "accepted %s holding a control character", name.c_str());
    return 0;
  }
  const std::string body = lookdev::errorJson(request.message, request.parameter);
  FUZZ_CHECK(body.find('\n') == std::string::npos, "error body on more than one line: %s",
             body.c_str());
  const nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
  FUZZ_CHECK(!parsed.is_discarded() && parsed.contains("error"), "error body is not JSON: %s",
             body.c_str());
  FUZZ_CHECK(!request.message.empty(), "refused without a message");
  // The parameter named is one the query holds (shortened when long).
  bool held = false;
  for (const auto& [name, value] : parameters)
    held = held || name == request.parameter ||
           (name.size() > 80 && name.compare(0, 77, request.parameter, 0, 77) == 0);
  FUZZ_CHECK(held, "refusal names '%s', which the query does not hold", request.parameter.c_str());
  return 0;
}
