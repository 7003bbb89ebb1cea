#include "preview/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

using preview::encodeSrgb;
using preview::LinearImage;
using preview::maxAbsDifference;

namespace {

TEST(Srgb, EncodesHandWorkedValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    float linear;
    int code;
  };
  // code = round(255 * (12.92 x)) up to 0.0031308, round(255 * (1.055 x^(1/2.4) - 0.055)) above.
  const std::vector<Case> cases = {
      {"black", 0.0f, 0},
      {"white", 1.0f, 255},
      {"linear segment, 255 * 12.92 * 0.001 = 3.29", 0.001f, 3},
      {"segment boundary, 10.31", 0.0031308f, 10},
      {"just above the boundary, curve gives 56.33", 0.04f, 56},
      {"mid grey 0.18 encodes to 117.65", 0.18f, 118},
      {"half encodes to 187.52", 0.5f, 188},
      {"0.8 encodes to 231.11", 0.8f, 231},
      {"negative clamps to black", -0.25f, 0},
      {"over-bright clamps to white", 2.0f, 255},
      {"infinity clamps to white", inf, 255},
      {"minus infinity clamps to black", -inf, 0},
      {"NaN is black, not an arbitrary code", nan, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(encodeSrgb(c.linear), c.code) << c.name;
}

// The table must give the curve's code for every float; checked where the
// codes step (each side of every step, a few ulps either way) and across
// the bit patterns of [0, 1] in a coarse stride.
TEST(Srgb, TheTableGivesTheCurvesCodeForEveryFloat) {
  const auto value = [](std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  };
  std::uint32_t one;
  const float unit = 1.0f;
  std::memcpy(&one, &unit, sizeof one);
  int mismatches = 0;
  for (std::uint32_t bits = 0; bits <= one && mismatches < 10; bits += 997) {
    const float x = value(bits);
    if (encodeSrgb(x) != preview::encodeSrgbByCurve(x)) ADD_FAILURE() << x << " " << ++mismatches;
  }
  for (std::uint32_t bits = 0, code = 0; bits <= one && mismatches < 10; ++code) {
    // The first float of each code, found from below by doubling strides.
    std::uint32_t step = 1;
    while (bits + step <= one && preview::encodeSrgbByCurve(value(bits + step)) <= code) step *= 2;
    for (; step > 0; step /= 2)
      if (bits + step <= one && preview::encodeSrgbByCurve(value(bits + step)) <= code)
        bits += step;
    for (std::uint32_t near = bits > 8 ? bits - 8 : 0; near <= bits + 8 && near <= one; ++near)
      if (encodeSrgb(value(near)) != preview::encodeSrgbByCurve(value(near)))
        ADD_FAILURE() << value(near) << " " << ++mismatches;
    bits += 1;
  }
}

TEST(Srgb, IsMonotonic) {
  int previous = 0;
  for (int i = 0; i <= 4096; ++i) {
    const int code = encodeSrgb(static_cast<float>(i) / 4096.0f);
    EXPECT_GE(code, previous) << i;
    previous = code;
  }
}

LinearImage image(int w, int h, std::vector<float> rgb) {
  LinearImage result(w, h);
  result.rgb = std::move(rgb);
  return result;
}

TEST(MaxDifference, LargestAbsoluteChannelDifference) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    LinearImage a, b;
    double expected;  // NaN: a NaN is expected
  };
  const std::vector<Case> cases = {
      {"identical images agree exactly", image(2, 1, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}),
       image(2, 1, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}), 0.0},
      {"one green channel off by 0.25", image(1, 1, {0.5f, 0.5f, 0.5f}),
       image(1, 1, {0.5f, 0.75f, 0.5f}), 0.25},
      {"sign does not matter, the larger counts", image(2, 1, {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}),
       image(2, 1, {0.125f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f}), 0.5},
      {"difference is taken in double, not rounded to float", image(1, 1, {1.0f, 0.0f, 0.0f}),
       image(1, 1, {1.0f + 0x1p-23f, 0.0f, 0.0f}), 0x1p-23},
      {"a NaN in either image is never read as agreement",
       image(2, 1, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}),
       image(2, 1, {0.0f, 0.0f, 0.0f, 0.0f, std::nanf(""), 0.0f}), nan},
      {"NaN in both at the same place still reported", image(1, 1, {std::nanf(""), 0.0f, 0.0f}),
       image(1, 1, {std::nanf(""), 0.0f, 0.0f}), nan},
      {"different sizes cannot be compared", image(1, 1, {0.0f, 0.0f, 0.0f}),
       image(1, 2, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}), nan},
  };
  for (const Case& c : cases) {
    const double d = maxAbsDifference(c.a, c.b);
    if (std::isnan(c.expected))
      EXPECT_TRUE(std::isnan(d)) << c.name << ": got " << d;
    else
      EXPECT_EQ(d, c.expected) << c.name;
  }
}

TEST(Picture, RowsStackUnderTheirLabelsAboveTheRoughnessBand) {
  const preview::Scene scene = preview::makeScene(60, 10, {0.0f, 1.0f}, {0.5f, 0.5f, 0.5f}, 0.8f,
                                                  0.0f, preview::LightPreset::Key);
  // Two flat rows: 0.5 (code 188) and 0.18 (code 118).
  LinearImage top(60, 10), bottom(60, 10);
  std::fill(top.rgb.begin(), top.rgb.end(), 0.5f);
  std::fill(bottom.rgb.begin(), bottom.rgb.end(), 0.18f);
  const preview::Picture p =
      preview::composePicture(scene, {{"maya", &top}, {"mentalray", &bottom}});
  // At this width the font is drawn at scale 1: 7 pixel rows plus 2 above and below.
  const int band = 11;
  ASSERT_EQ(p.width, 60);
  ASSERT_EQ(p.height, 3 * band + 2 * 10);
  ASSERT_EQ(p.rgb.size(), static_cast<size_t>(p.width) * p.height * 3);
  auto at = [&p](int x, int y) { return p.rgb[(static_cast<size_t>(y) * p.width + x) * 3]; };
  auto rowHolds = [&](int y, int code) {
    for (int x = 0; x < p.width; ++x)
      if (at(x, y) != code) return false;
    return true;
  };
  for (int y = band; y < band + 10; ++y) EXPECT_TRUE(rowHolds(y, 188)) << "first row, line " << y;
  for (int y = 2 * band + 10; y < 2 * band + 20; ++y)
    EXPECT_TRUE(rowHolds(y, 118)) << "second row, line " << y;
  // Every band carries some text: its label or the roughness values.
  for (int bandTop : {0, band + 10, 2 * band + 20}) {
    int lit = 0;
    for (int y = bandTop; y < bandTop + band; ++y)
      for (int x = 0; x < p.width; ++x) lit += at(x, y) > 200;
    EXPECT_GT(lit, 10) << "band at line " << bandTop;
  }
}

}  // namespace
