#include "preview/png.h"
#include "preview/exr.h"
#include "testBackend.h"

#include <ImfArray.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfStringAttribute.h>
#include <ImfStringVectorAttribute.h>

#include <png.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using preview::Picture;
using preview::writePng;

namespace {

class PngOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mattora-png-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    return names;
  }

  fs::path dir_;
};

Picture gradient(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        p.rgb.push_back(static_cast<unsigned char>((x * 37 + y * 11 + c * 85) & 0xFF));
  return p;
}

std::vector<unsigned char> readBack(const std::string& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

TEST_F(PngOutput, WritesExactPixelsAndLeavesNoTemporary) {
  const Picture picture = gradient(7, 3);
  const std::string path = (dir_ / "out.png").string();
  std::string error;
  ASSERT_TRUE(writePng(path, picture, error)) << error;
  int width = 0, height = 0;
  EXPECT_EQ(readBack(path, width, height), picture.rgb);
  EXPECT_EQ(width, 7);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(entries(), std::vector<std::string>{"out.png"});
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "readable like any new file, not owner-only";

  // A server's quick frame: encoded in memory the fast way, the same pixels.
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(preview::encodePng(picture, bytes, error, preview::PngCompression::Fast)) << error;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(pixels, picture.rgb);
}

TEST_F(PngOutput, ReplacesAnExistingFileWhole) {
  const std::string path = (dir_ / "out.png").string();
  std::ofstream(path) << "an older, longer file that is not a PNG at all";
  std::string error;
  ASSERT_TRUE(writePng(path, gradient(2, 2), error)) << error;
  int width = 0, height = 0;
  EXPECT_EQ(readBack(path, width, height), gradient(2, 2).rgb);
}

TEST_F(PngOutput, FailuresLeaveNothingBehindAndSayWhy) {
  fs::create_directory(dir_ / "taken.png");
  const std::string keep = (dir_ / "keep.png").string();
  std::ofstream(keep) << "old";
  struct Case {
    const char* name;
    std::string path;
    Picture picture;
    const char* mentions;
  };
  const std::vector<Case> cases = {
      {"missing folder", (dir_ / "no/such/folder/out.png").string(), gradient(2, 2),
       "No such file or directory"},
      {"path is a folder", (dir_ / "taken.png").string(), gradient(2, 2), "taken.png"},
      {"empty picture is refused", keep, Picture{}, "empty"},
      {"picture whose buffer does not match its size", keep, Picture{4, 4, {1, 2, 3}}, "empty"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(writePng(c.path, c.picture, error)) << c.name;
    EXPECT_NE(error.find(c.path), std::string::npos) << c.name << ": " << error;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << c.name << ": " << error;
  }
  std::vector<std::string> names = entries();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"keep.png", "taken.png"}));
  std::ifstream in(keep);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "old");
  EXPECT_TRUE(fs::is_empty(dir_ / "taken.png"));
}

// The EXR must carry the renderer's values bit for bit, in the PNG's layout,
// and say how they were made.
TEST_F(PngOutput, ExrHoldsTheRenderedValuesAndTheirParameters) {
  preview::Options options;
  options.roughness = {0.0f, 1.0f};
  options.lights = preview::LightPreset::Key;
  const preview::Scene scene =
      preview::makeScene(48, 16, options.roughness, options.color, options.diffuse,
                         options.translucence, options.lights);
  previewtest::DirectBackend backend;
  std::string error;
  ASSERT_TRUE(backend.prepare(scene, error));
  preview::LinearImage image;
  preview::renderImage(scene, backend, preview::RenderSettings{1, 1}, image);
  const std::vector<preview::LabelledRow> rows = {{"MAYA", &image}, {"MENTAL RAY", &image}};
  const std::string path = (dir_ / "out.exr").string();
  ASSERT_TRUE(writeExr(path, preview::composeLinearPicture(scene, rows), options,
                       {"maya", "mentalray"}, error))
      << error;
  EXPECT_EQ(entries(), std::vector<std::string>{"out.exr"});

  Imf::InputFile file(path.c_str());
  const Imath::Box2i window = file.header().dataWindow();
  const int width = window.max.x + 1, height = window.max.y + 1;
  const Picture coded = preview::composePicture(scene, rows);
  ASSERT_EQ(width, coded.width);
  ASSERT_EQ(height, coded.height);
  Imf::Array2D<float> channel[4];
  Imf::FrameBuffer frame;
  const char* names[] = {"R", "G", "B", "A"};
  for (int c = 0; c < 4; ++c) {
    channel[c].resizeErase(height, width);
    frame.insert(names[c], Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(&channel[c][0][0]),
                                      sizeof(float), sizeof(float) * width));
  }
  file.setFrameBuffer(frame);
  file.readPixels(0, height - 1);

  // Each row sits where the PNG has it: under a band as high as the one
  // above the first row, which is as dark as the PNG's band.
  int band = 0;
  while (band < height && coded.rgb[static_cast<size_t>(band) * width * 3] == 24) ++band;
  for (int r = 0; r < 2; ++r)
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(channel[c][band + r * (band + image.height) + y][x], image.pixel(x, y)[c])
              << "row " << r << " pixel " << x << "," << y;
  EXPECT_NEAR(channel[0][0][0], 0.00912, 1e-4);  // sRGB 24, decoded by hand
  EXPECT_EQ(channel[3][height / 2][width / 2], 1.0f);

  EXPECT_EQ(file.header().typedAttribute<Imf::StringAttribute>("mattora.roughness").value(), "0,1");
  EXPECT_EQ(file.header().typedAttribute<Imf::StringVectorAttribute>("mattora.rows").value(),
            (std::vector<std::string>{"maya", "mentalray"}));
  EXPECT_EQ(file.header().typedAttribute<Imf::StringAttribute>("mattora.lights").value(), "key");
}

}  // namespace
