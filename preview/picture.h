// Turns the rendered rows into the picture that is written out: 8-bit sRGB
// (or linear floats),
// each host's row under a band with its label, and a band at the bottom
// naming each sphere's roughness.
#pragma once

#include "preview/render.h"
#include "preview/scene.h"

#include <string>
#include <vector>

namespace preview {

// 8-bit sRGB code of a linear value: clamped to [0, 1] (a NaN gives 0),
// encoded with the sRGB transfer curve and rounded to nearest.
unsigned char encodeSrgbByCurve(float linear);
// The same code from a table of the curve's 255 steps, a few times faster:
// for every float the code encodeSrgbByCurve gives.
unsigned char encodeSrgb(float linear);

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // row-major from the top-left, three bytes a pixel
};

struct LabelledRow {
  std::string label;
  const LinearImage* image;  // every row has the camera's size
};

Picture composePicture(const Scene& scene, const std::vector<LabelledRow>& rows);

// The picture of composePicture in linear floats, pixel for pixel: the hosts'
// rows hold the values the renderer produced, unchanged; the label bands the
// linear values of their sRGB codes, so they read the same in a viewer.
struct LinearPicture {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;  // row-major from the top-left, three floats a pixel
};

LinearPicture composeLinearPicture(const Scene& scene, const std::vector<LabelledRow>& rows);

// Largest absolute difference between the two images' linear channel values;
// NaN when a channel is NaN in either image (a fault must not read as
// agreement), or when the sizes differ.
double maxAbsDifference(const LinearImage& a, const LinearImage& b);

}  // namespace preview
