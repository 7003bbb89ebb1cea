#include "preview/picture.h"

#include "preview/font.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace preview {

namespace {

const unsigned char kBandColor[3] = {24, 24, 28};
const unsigned char kTextColor[3] = {225, 225, 225};

void fillBand(Picture& picture, int top, int height) {
  for (int y = top; y < top + height; ++y)
    for (int x = 0; x < picture.width; ++x)
      std::copy(kBandColor, kBandColor + 3,
                &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3]);
}

// Image column under which sphere `sphere` is centred.
int sphereColumn(const Scene& scene, const Sphere& sphere) {
  const Camera& camera = scene.camera;
  const float planeX = sphere.center.x / -sphere.center.z;
  return static_cast<int>(std::lround((planeX / camera.halfWidth + 1.0f) * 0.5f * camera.width));
}

// Labels are drawn at twice the font's size on wide pictures.
int labelScale(const Camera& camera) { return camera.width >= 480 ? 2 : 1; }

// A label band: the glyphs and a padding of two (scaled) pixels above and below.
int bandHeight(const Camera& camera) { return (kGlyphHeight + 4) * labelScale(camera); }

float decodeSrgb(unsigned char code) {
  const double v = code / 255.0;
  return static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
}

}  // namespace

unsigned char encodeSrgbByCurve(float linear) {
  if (!(linear > 0.0f)) return 0;
  if (linear >= 1.0f) return 255;
  const double v = linear <= 0.0031308f
                       ? 12.92 * linear
                       : 1.055 * std::pow(static_cast<double>(linear), 1.0 / 2.4) - 0.055;
  return static_cast<unsigned char>(std::lround(v * 255.0));
}

namespace {

// Where the curve steps: `first[c]` is the least float the curve gives code c
// or more, found by bisecting the ordered bit patterns of [0, 1]; `start[i]`
// is the code at i / kBuckets. A bucket of the table spans less than one step
// of the curve (at most 12.92 * 255 / kBuckets of a code, where the curve is
// steepest), so a value is at most one step above its bucket's code.
struct SrgbSteps {
  static constexpr int kBuckets = 4096;
  float first[257];
  unsigned char start[kBuckets];

  SrgbSteps() {
    const auto bits = [](float f) {
      std::uint32_t b;
      std::memcpy(&b, &f, sizeof b);
      return b;
    };
    const auto value = [](std::uint32_t b) {
      float f;
      std::memcpy(&f, &b, sizeof f);
      return f;
    };
    first[0] = 0.0f;
    for (int code = 1; code <= 255; ++code) {
      std::uint32_t low = bits(0.0f), high = bits(1.0f);  // curve(low) < code <= curve(high)
      while (high - low > 1) {
        const std::uint32_t middle = low + (high - low) / 2;
        (encodeSrgbByCurve(value(middle)) >= code ? high : low) = middle;
      }
      first[code] = value(high);
    }
    first[256] = INFINITY;
    for (int i = 0; i < kBuckets; ++i)
      start[i] = encodeSrgbByCurve(static_cast<float>(i) / kBuckets);
  }
};

const SrgbSteps& srgbSteps() {
  static const SrgbSteps steps;
  return steps;
}

}  // namespace

unsigned char encodeSrgb(float linear) {
  if (!(linear > 0.0f)) return 0;
  if (linear >= 1.0f) return 255;
  const SrgbSteps& steps = srgbSteps();
  int code = steps.start[static_cast<int>(linear * SrgbSteps::kBuckets)];
  while (linear >= steps.first[code + 1]) ++code;
  return static_cast<unsigned char>(code);
}

Picture composePicture(const Scene& scene, const std::vector<LabelledRow>& rows) {
  const Camera& camera = scene.camera;
  const int scale = labelScale(camera);
  const int pad = 2 * scale;
  const int band = bandHeight(camera);

  Picture picture;
  picture.width = camera.width;
  picture.height = static_cast<int>(rows.size()) * (band + camera.height) + band;
  picture.rgb.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);

  int top = 0;
  for (const LabelledRow& row : rows) {
    fillBand(picture, top, band);
    drawText(picture.rgb.data(), picture.width, picture.height, pad, top + pad, row.label, scale,
             kTextColor);
    top += band;
    for (int y = 0; y < camera.height; ++y) {
      for (int x = 0; x < camera.width; ++x) {
        const float* in = row.image->pixel(x, y);
        unsigned char* out = &picture.rgb[(static_cast<size_t>(top + y) * picture.width + x) * 3];
        for (int c = 0; c < 3; ++c) out[c] = encodeSrgb(in[c]);
      }
    }
    top += camera.height;
  }

  fillBand(picture, top, band);
  for (const Sphere& sphere : scene.spheres) {
    char text[32];
    std::snprintf(text, sizeof text, "R %g", static_cast<double>(sphere.material.roughness));
    const int x = sphereColumn(scene, sphere) - textWidth(text, scale) / 2;
    drawText(picture.rgb.data(), picture.width, picture.height, x, top + pad, text, scale,
             kTextColor);
  }
  return picture;
}

LinearPicture composeLinearPicture(const Scene& scene, const std::vector<LabelledRow>& rows) {
  const Picture coded = composePicture(scene, rows);
  LinearPicture picture;
  picture.width = coded.width;
  picture.height = coded.height;
  picture.rgb.resize(coded.rgb.size());
  for (size_t i = 0; i < coded.rgb.size(); ++i) picture.rgb[i] = decodeSrgb(coded.rgb[i]);

  const Camera& camera = scene.camera;
  const int band = bandHeight(camera);
  for (size_t r = 0; r < rows.size(); ++r) {
    const int top = static_cast<int>(r) * (band + camera.height) + band;
    for (int y = 0; y < camera.height; ++y) {
      const float* in = rows[r].image->pixel(0, y);
      std::copy(in, in + static_cast<size_t>(camera.width) * 3,
                &picture.rgb[static_cast<size_t>(top + y) * picture.width * 3]);
    }
  }
  return picture;
}

double maxAbsDifference(const LinearImage& a, const LinearImage& b) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return nan;
  double largest = 0.0;
  for (size_t i = 0; i < a.rgb.size(); ++i) {
    const double difference = std::fabs(static_cast<double>(a.rgb[i]) - b.rgb[i]);
    if (std::isnan(difference)) return nan;
    largest = std::max(largest, difference);
  }
  return largest;
}

}  // namespace preview
