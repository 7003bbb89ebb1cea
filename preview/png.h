// PNG output that never leaves a half-written file behind.
#pragma once

#include "preview/picture.h"

#include <string>
#include <vector>

namespace preview {

// Writes `picture` as an 8-bit RGB PNG tagged as sRGB, atomically (see
// writeAtomically); on failure `error` holds one line naming the problem.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

// The same file's bytes, in memory (for a server to send).
bool encodePng(const Picture& picture, std::vector<unsigned char>& bytes, std::string& error);

}  // namespace preview
