// Export annotations of the two runtime libraries. Each library defines its
// BUILDING macro while it is compiled; clients see the import form.
#pragma once

#include <maya/MTypes.h>

#if defined(_WIN32)
#if defined(MAYAHOST_BUILDING_FOUNDATION)
#define FND_EXPORT __declspec(dllexport)
#else
#define FND_EXPORT __declspec(dllimport)
#endif
#if defined(MAYAHOST_BUILDING_OPENMAYA)
#define OPENMAYA_EXPORT __declspec(dllexport)
#else
#define OPENMAYA_EXPORT __declspec(dllimport)
#endif
#else
#define FND_EXPORT __attribute__((visibility("default")))
#define OPENMAYA_EXPORT __attribute__((visibility("default")))
#endif
