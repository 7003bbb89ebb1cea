// A shared library that is not a whole Maya plug-in: built once with no
// plug-in export at all, and once with the exports under their C names only,
// which Windows Maya finds and Linux Maya does not.
extern "C" {

__attribute__((visibility("default"))) int notAPlugin = 1;

#ifdef C_NAMES_ONLY
// The stand-in loader only looks the names up; it never calls a library that
// lacks an export it needs.
__attribute__((visibility("default"))) int initializePlugin() { return 0; }
__attribute__((visibility("default"))) int uninitializePlugin() { return 0; }
__attribute__((visibility("default"))) char MApiVersion[] = "800";
#endif
}
