// The API version a plug-in was built against, defined in the one source file
// of the plug-in that includes MFnPlugin.h without MNoVersionString.
#ifndef _MApiVersion
#define _MApiVersion

#include <maya/MTypes.h>

#define MAYAHOST_TEXT(x) #x
#define MAYAHOST_VERSION_TEXT(x) MAYAHOST_TEXT(x)

#if !defined(MNoVersionString)
extern "C" {
PLUGIN_EXPORT char MApiVersion[] = MAYAHOST_VERSION_TEXT(MAYA_API_VERSION);
}
#endif

#endif
