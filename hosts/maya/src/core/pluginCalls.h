// The host's calls into a plug-in's own code, in the plug-in's C++ ABI: its
// entry points, which take an MObject by value and return an MStatus, and
// its node's virtual functions. On Windows the plug-in is built in the
// Microsoft ABI and the host's internals are not, so these calls are made by
// hand there, by virtual-table slot as Maya makes them.
#pragma once

#include <string>

#include "internals.h"

namespace mayahost::detail::plugin {

// Finds what the calls need in the loaded host libraries; an empty string,
// or what is missing.
std::string prepare();

// initializePlugin or uninitializePlugin, called with the plug-in's object.
Status::Code callEntry(void* entry, PluginRecord* record);

// Empty when the node's virtual table has the API's slots and its type()
// and isAbstractClass() answer as a node of the type must; otherwise why not.
std::string checkNode(void* library, void* node, const TypeRecord& type);

// Disposes of a node that failed checkNode: destroyed when its destructor is
// the plug-in's own, otherwise left alone rather than called blindly.
void discard(void* library, void* node);

void postConstructor(void* node);
Status::Code compute(void* node, const AttributeDef* plug, Block* block);
// Runs the node's destructor and frees it, as delete does.
void destroy(void* node);

}  // namespace mayahost::detail::plugin
