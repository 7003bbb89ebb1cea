// The host's calls into a plug-in's own code: its entry points and its node's
// virtual functions. OpenMaya makes them (hostCore.h's mayahost_calls), in
// the plug-in's C++ ABI, so the host never spells a calling convention.
#pragma once

#include <string>

#include "internals.h"

namespace mayahost::detail::plugin {

// Finds OpenMaya's calls; an empty string, or what is missing.
std::string prepare();

// Valid once prepare() has succeeded.
const mayahost_calls& calls();

// Empty when the node's virtual table has the API's slots and its type()
// and isAbstractClass() answer as a node of the type must; otherwise why not.
std::string checkNode(void* library, void* node, const TypeRecord& type);

// Disposes of a node that failed checkNode: destroyed when its destructor is
// the plug-in's own, otherwise left alone rather than called blindly.
void discard(void* library, void* node);

}  // namespace mayahost::detail::plugin
