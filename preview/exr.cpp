#include "preview/exr.h"

#include "preview/atomicFile.h"

#include <ImfChannelList.h>
#include <ImfFloatAttribute.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIntAttribute.h>
#include <ImfOutputFile.h>
#include <ImfStdIO.h>
#include <ImfStringAttribute.h>
#include <ImfStringVectorAttribute.h>
#include <ImfVecAttribute.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <vector>

namespace preview {

namespace {

// Named after the command-line options, so a header reads as the command that
// made the picture.
void describeRender(Imf::Header& header, const Options& o, const std::vector<std::string>& rows) {
  header.insert("mattora.host", Imf::StringAttribute(hostName(o.host)));
  header.insert("mattora.rows", Imf::StringVectorAttribute(rows));
  // As the option takes it (many EXR readers show no float vectors), each
  // value in the fewest digits that read back as the same float.
  std::string roughness;
  for (const float sigma : o.roughness) {
    char value[32];
    for (int digits = 6; digits <= 9; ++digits) {
      std::snprintf(value, sizeof value, "%.*g", digits, static_cast<double>(sigma));
      if (std::strtof(value, nullptr) == sigma) break;
    }
    roughness += (roughness.empty() ? "" : ",") + std::string(value);
  }
  header.insert("mattora.roughness", Imf::StringAttribute(roughness));
  header.insert("mattora.color", Imf::V3fAttribute(Imath::V3f(o.color.r, o.color.g, o.color.b)));
  header.insert("mattora.diffuse", Imf::FloatAttribute(o.diffuse));
  header.insert("mattora.translucence", Imf::FloatAttribute(o.translucence));
  header.insert("mattora.lights", Imf::StringAttribute(lightPresetName(o.lights)));
  header.insert("mattora.size", Imf::V2iAttribute(Imath::V2i(o.width, o.height)));
  header.insert("mattora.spp", Imf::IntAttribute(o.samplesPerPixel));
  header.insert("mattora.irradiance", Imf::IntAttribute(o.irradiance ? 1 : 0));
  header.insert("mattora.texture", Imf::IntAttribute(o.texture ? 1 : 0));
}

// Throws what OpenEXR throws.
void encodeInto(Imf::OStream& stream, const LinearPicture& picture, const Options& options,
                const std::vector<std::string>& rowHosts) {
  Imf::Header header(picture.width, picture.height);
  header.compression() = Imf::ZIP_COMPRESSION;
  describeRender(header, options, rowHosts);
  const char* names[] = {"R", "G", "B"};
  for (const char* name : names) header.channels().insert(name, Imf::Channel(Imf::FLOAT));
  header.channels().insert("A", Imf::Channel(Imf::FLOAT));

  // The channels interleave in the picture's own buffer; alpha reads one row
  // of ones again for every row (a y stride of 0).
  const std::vector<float> opaque(static_cast<size_t>(picture.width), 1.0f);
  char* base = const_cast<char*>(reinterpret_cast<const char*>(picture.rgb.data()));
  Imf::FrameBuffer frame;
  for (int c = 0; c < 3; ++c)
    frame.insert(names[c], Imf::Slice(Imf::FLOAT, base + c * sizeof(float), 3 * sizeof(float),
                                      3 * sizeof(float) * picture.width));
  frame.insert(
      "A", Imf::Slice(Imf::FLOAT, const_cast<char*>(reinterpret_cast<const char*>(opaque.data())),
                      sizeof(float), 0));
  Imf::OutputFile file(stream, header);
  file.setFrameBuffer(frame);
  file.writePixels(picture.height);
}

bool isEmpty(const LinearPicture& picture) {
  const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
  return picture.width <= 0 || picture.height <= 0 || picture.rgb.size() != pixels * 3;
}

}  // namespace

bool writeExr(const std::string& path, const LinearPicture& picture, const Options& options,
              const std::vector<std::string>& rowHosts, std::string& error) {
  if (isEmpty(picture)) {
    error = "cannot write " + path + ": the picture is empty";
    return false;
  }
  return writeAtomically(
      path,
      [&](const std::string& temporary) -> std::string {
        try {
          Imf::StdOFStream stream(temporary.c_str());
          encodeInto(stream, picture, options, rowHosts);
        } catch (const std::exception& e) {
          return e.what();
        }
        return {};
      },
      error);
}

bool encodeExr(const LinearPicture& picture, const Options& options,
               const std::vector<std::string>& rowHosts, std::string& bytes, std::string& error) {
  if (isEmpty(picture)) {
    error = "the picture is empty";
    return false;
  }
  try {
    Imf::StdOSStream stream;
    encodeInto(stream, picture, options, rowHosts);
    bytes = stream.str();
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace preview
