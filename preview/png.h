// PNG output that never leaves a half-written file behind.
#pragma once

#include "preview/picture.h"

#include <string>

namespace preview {

// Writes `picture` as an 8-bit RGB PNG tagged as sRGB. The data goes to a
// temporary file beside `path`, which is renamed over `path` only once it is
// complete; on failure the temporary is removed, `path` is left as it was,
// and `error` holds one line naming the problem.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

}  // namespace preview
