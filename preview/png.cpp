#include "preview/png.h"

#include "preview/atomicFile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace preview {

namespace {

// Where the bytes go: a file, or `memory` when that is set.
struct PngJob {
  FILE* file;
  const Picture* picture;
  char message[200];
  std::vector<unsigned char>* memory;
  PngCompression compression;
};

void onPngError(png_structp png, png_const_charp message) {
  PngJob* job = static_cast<PngJob*>(png_get_error_ptr(png));
  std::snprintf(job->message, sizeof job->message, "%s", message);
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// No exception may cross libpng's C frames: a failed append becomes a libpng
// error, which unwinds by longjmp like any other.
void appendToMemory(png_structp png, png_bytep data, png_size_t length) {
  PngJob* job = static_cast<PngJob*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    job->memory->insert(job->memory->end(), data, data + length);
  } catch (...) {
    appended = false;
  }
  if (!appended) png_error(png, "out of memory");
}

void flushMemory(png_structp) {}

// Kept free of C++ objects with destructors: libpng reports errors with
// longjmp, which would skip them.
bool encode(PngJob& job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, onPngError, onPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  const Picture& picture = *job.picture;
  if (job.memory)
    png_set_write_fn(png, &job, appendToMemory, flushMemory);
  else
    png_init_io(png, job.file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  if (job.compression == PngCompression::Fast) {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
  }
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y)
    png_write_row(png, &picture.rgb[static_cast<size_t>(y) * picture.width * 3]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool isEmpty(const Picture& picture) {
  return picture.width <= 0 || picture.height <= 0 ||
         picture.rgb.size() != static_cast<size_t>(picture.width) * picture.height * 3;
}

}  // namespace

bool encodePng(const Picture& picture, std::vector<unsigned char>& bytes, std::string& error,
               PngCompression compression) {
  bytes.clear();
  if (isEmpty(picture)) {
    error = "the picture is empty";
    return false;
  }
  PngJob job{nullptr, &picture, {0}, &bytes, compression};
  if (encode(job)) return true;
  error = job.message[0] ? job.message : "cannot encode the picture";
  return false;
}

bool writePng(const std::string& path, const Picture& picture, std::string& error) {
  if (isEmpty(picture)) {
    error = "cannot write " + path + ": the picture is empty";
    return false;
  }
  return writeAtomically(
      path,
      [&picture](const std::string& temporary) -> std::string {
        FILE* file = std::fopen(temporary.c_str(), "wb");
        if (!file) return std::strerror(errno);
        PngJob job{file, &picture, {0}, nullptr, PngCompression::Small};
        const bool encoded = encode(job);
        int problem = 0;
        if (std::fflush(file) != 0 || std::ferror(file)) problem = errno ? errno : EIO;
        if (std::fclose(file) != 0 && !problem) problem = errno ? errno : EIO;
        if (encoded && !problem) return {};
        return job.message[0] ? job.message : std::strerror(problem ? problem : EIO);
      },
      error);
}

}  // namespace preview
