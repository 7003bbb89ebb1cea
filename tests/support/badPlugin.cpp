// Plug-ins the stand-in host must refuse, each with one fault (on Windows
// built in the Microsoft ABI like the real one):
//   MISSING_IMPORT  imports a function no library provides
//   OTHER_API       records another API version in MApiVersion
//   SCRAMBLED_NODE  loads, but its node's virtual table has two slots swapped
//                   (Windows, where the host reads the table slot by slot)
//   WRONG_KIND      loads, but its node's type() is not the kind it registers
#include <maya/MFnPlugin.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <string.h>

#if defined(_WIN32)
#define BAD_PLUGIN_EXPORT __declspec(dllexport)
#define BAD_PLUGIN_ENTRY extern "C" BAD_PLUGIN_EXPORT
#else
#define BAD_PLUGIN_EXPORT __attribute__((visibility("default")))
// Linux Maya finds the entry points by their C++ names.
#define BAD_PLUGIN_ENTRY BAD_PLUGIN_EXPORT
#endif

#if defined(OTHER_API)
extern "C" {
BAD_PLUGIN_EXPORT char MApiVersion[] = OTHER_API;
}
#endif

#if defined(MISSING_IMPORT)
#if defined(_WIN32)
extern "C" __declspec(dllimport) int mattoraTestMissingImport(void);
#else
extern "C" int mattoraTestMissingImport(void);
#endif
extern "C" BAD_PLUGIN_EXPORT int callsTheMissingImport(void) { return mattoraTestMissingImport(); }
#endif

namespace {

class Scrambled : public MPxNode {
 public:
  static void* creator() {
    auto* node = new Scrambled();
#if defined(SCRAMBLED_NODE)
    // A copy of the table with passThroughToOne and passThroughToMany
    // swapped, as a header that declared them the other way round would
    // have it.
    static void* table[32];
    void** original = *reinterpret_cast<void***>(node);
    memcpy(table, original, sizeof table);
    const int first = MAYA_API_VERSION >= 850 ? 16 : 15;
    void* keep = table[first];
    table[first] = table[first + 1];
    table[first + 1] = keep;
    *reinterpret_cast<void***>(node) = table;
#endif
    return node;
  }
  static MStatus initialize() { return MStatus::kSuccess; }
#if defined(WRONG_KIND)
  MPxNode::Type type() const override { return kLocatorNode; }
#endif
};

}  // namespace

BAD_PLUGIN_ENTRY MStatus initializePlugin(MObject obj) {
  MFnPlugin plugin(obj, "mattora tests", "1.0", "Any");
  plugin.registerNode("badPluginNode", MTypeId(0x84043), Scrambled::creator, Scrambled::initialize);
  return MStatus::kSuccess;
}

BAD_PLUGIN_ENTRY MStatus uninitializePlugin(MObject obj) {
  MFnPlugin plugin(obj);
  plugin.deregisterNode(MTypeId(0x84043));
  return MStatus::kSuccess;
}
