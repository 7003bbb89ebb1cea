// The material of a preview or a lookdev page as text a host reads, so that a
// look tuned here can be taken into a scene.
#pragma once

#include "preview/options.h"

#include <string>

namespace preview {

// Mel: a MEL script that makes one mattora node per roughness and sets the
// attributes the options control with setAttr. Mi: one vela_mattora shader
// statement per roughness, its values under the declaration's parameter
// names. What the other host alone has is named in a comment, not exported.
std::string lookText(const Options& options, LookFormat format);

}  // namespace preview
