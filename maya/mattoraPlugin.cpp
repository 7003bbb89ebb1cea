// The plug-in's three exports, declared here rather than through any SDK
// macro so that their linkage and visibility are this library's own choice.
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
MATTORA_EXPORT extern const char MApiVersion[];
MATTORA_EXPORT MStatus initializePlugin(MObject obj);
MATTORA_EXPORT MStatus uninitializePlugin(MObject obj);
}

extern "C" MATTORA_EXPORT const char MApiVersion[] = "800";

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
