// Shared libraries that are not plug-ins this host can take: built with no
// plug-in export at all, with initializePlugin alone, with every export but
// another API version's MApiVersion, and with an import nothing provides.
extern "C" {

__attribute__((visibility("default"))) int notAPlugin = 1;

#if defined(WITH_INITIALIZE) || defined(WITH_OTHER_API) || defined(WITH_MISSING_IMPORT)
// The stand-in loader never calls a library it refuses.
__attribute__((visibility("default"))) int initializePlugin() { return 0; }
#endif
#if defined(WITH_OTHER_API) || defined(WITH_MISSING_IMPORT)
__attribute__((visibility("default"))) int uninitializePlugin() { return 0; }
__attribute__((visibility("default"))) char MApiVersion[] = OTHER_API_VERSION;
#endif
#if defined(WITH_MISSING_IMPORT)
int mattoraTestMissingImport();
__attribute__((visibility("default"))) int callsTheMissingImport() {
  return mattoraTestMissingImport();
}
#endif
}
