// PNG output that never leaves a half-written file behind.
#pragma once

#include "preview/picture.h"

#include <string>
#include <vector>

namespace preview {

// Writes `picture` as an 8-bit RGB PNG tagged as sRGB, atomically (see
// writeAtomically); on failure `error` holds one line naming the problem.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

// How hard the encoder works: Small, libpng's defaults (every filter tried
// on every row, zlib's default level); Fast, for a frame that is soon
// replaced (one filter, zlib's fastest level): several times quicker, the
// file somewhat larger. Both hold the same pixels.
enum class PngCompression { Small, Fast };

// The same file's bytes, in memory (for a server to send).
bool encodePng(const Picture& picture, std::vector<unsigned char>& bytes, std::string& error,
               PngCompression compression = PngCompression::Small);

}  // namespace preview
