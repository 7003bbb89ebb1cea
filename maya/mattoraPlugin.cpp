// The plug-in's three exports. The entry points are declared here rather than
// through any SDK macro so that their linkage and visibility are this
// library's own choice. MApiVersion is defined by the devkit's MFnPlugin.h,
// which this is the one file to include without MNoVersionString, so it
// names the API the plug-in was really built against.

// The 8.0-era devkit marks MApiVersion with a PLUGIN_EXPORT that is empty off
// Windows, which leaves it hidden in a -fvisibility=hidden build. A prior
// declaration with default visibility makes the header's definition visible;
// it matches that definition's type and C linkage, so it is valid with any
// devkit, and where the devkit already exports it, it changes nothing.
#if !defined(_WIN32)
extern "C" __attribute__((visibility("default"))) char MApiVersion[];
#endif

#include <maya/MFnPlugin.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include "mattoraNode.h"

#if defined(_WIN32)
#define MATTORA_EXPORT __declspec(dllexport)
#else
#define MATTORA_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
MATTORA_EXPORT MStatus initializePlugin(MObject obj);
MATTORA_EXPORT MStatus uninitializePlugin(MObject obj);
}

namespace {

const char kRefreshCommandStart[] =
    "if( `window -exists createRenderNodeWindow` )  {refreshCreateRenderNodeWindow(\"";

// Refreshes the render-node creation window when it is open, so the new (or
// removed) surface shader shows up there at once.
void refreshRenderNodeWindow(const MString& classification) {
  MString command(kRefreshCommandStart);
  command += classification;
  command += "\");}\n";
  MGlobal::executeCommand(command, false, false);
}

}  // namespace

extern "C" MATTORA_EXPORT MStatus initializePlugin(MObject obj) {
  const MString classification("shader/surface");
  MFnPlugin plugin(obj, "Orrin : Halvane", "1.0", "Any");
  plugin.registerNode("mattora", mattora::id, mattora::creator, mattora::initialize,
                      MPxNode::kDependNode, &classification);
  refreshRenderNodeWindow(classification);
  return MStatus::kSuccess;
}

extern "C" MATTORA_EXPORT MStatus uninitializePlugin(MObject obj) {
  const MString classification("shader/surface");
  MFnPlugin plugin(obj, "Unknown", "Unknown", "Any");
  plugin.deregisterNode(mattora::id);
  refreshRenderNodeWindow(classification);
  return MStatus::kSuccess;
}

#if !defined(_WIN32)
// Linux Maya looks the entry points up by the names a plug-in gets when it
// declares them without extern "C", "MStatus initializePlugin(MObject)" and
// its twin. One function cannot have both linkages, so these aliases give the
// same two functions those names as well; Windows Maya uses the plain ones.
extern "C" MATTORA_EXPORT MStatus initializePluginCxxName(MObject obj) __asm__(
    "_Z16initializePlugin7MObject") __attribute__((alias("initializePlugin")));
extern "C" MATTORA_EXPORT MStatus uninitializePluginCxxName(MObject obj) __asm__(
    "_Z18uninitializePlugin7MObject") __attribute__((alias("uninitializePlugin")));
#endif
