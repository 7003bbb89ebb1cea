// The API version a plug-in was built against, defined in the one source file
// of the plug-in that includes MFnPlugin.h without MNoVersionString.
#ifndef _MApiVersion
#define _MApiVersion

#include <maya/MTypes.h>

#if !defined(MNoVersionString)
extern "C" {
PLUGIN_EXPORT char MApiVersion[] = "800";
}
#endif

#endif
