// OpenEXR output, for comparing renders numerically.
#pragma once

#include "preview/options.h"
#include "preview/picture.h"

#include <string>
#include <vector>

namespace preview {

// Writes `picture` as 32-bit float linear RGBA (alpha 1: the picture is
// opaque, like the PNG), with the render's parameters from `options` and the
// hosts of its rows, top to bottom, as header attributes. Written atomically
// (see writeAtomically); on failure `error` holds one line naming the problem.
bool writeExr(const std::string& path, const LinearPicture& picture, const Options& options,
              const std::vector<std::string>& rowHosts, std::string& error);

// The same file's bytes, in memory (for a server to send).
bool encodeExr(const LinearPicture& picture, const Options& options,
               const std::vector<std::string>& rowHosts, std::string& bytes, std::string& error);

}  // namespace preview
