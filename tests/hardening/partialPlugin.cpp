// A shared library that is not a whole Maya plug-in: built once with no
// plug-in export at all and once with initializePlugin alone.
extern "C" {

__attribute__((visibility("default"))) int notAPlugin = 1;

#ifdef WITH_INITIALIZE
// The stand-in loader only looks the name up; it never calls a library that
// lacks the other exports.
__attribute__((visibility("default"))) int initializePlugin() { return 0; }
#endif
}
