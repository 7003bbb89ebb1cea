// Switches that exist only so tests can reach states a healthy host never
// produces. The plug-in never sees this header.
#pragma once

#include "mayahost/host.h"

#include <string>
#include <vector>

namespace mayahost::testing {

// Every attribute function-set call (create, flags, defaults, limits) that
// acts on one of the named attributes fails with kFailure; "*" names every
// attribute. An empty list switches the faults off.
MAYAHOST_API void failAttributeCalls(std::vector<std::string> attributeNames);

// Makes the array handle of `array` report `count` elements whatever the
// block holds; a negative count restores the true number.
MAYAHOST_API void setReportedElementCount(DataBlock& block, Attribute array, long count);

}  // namespace mayahost::testing
