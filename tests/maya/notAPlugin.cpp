// A loadable library that is not a Maya plug-in: it has none of the exports.
extern "C" __attribute__((visibility("default"))) int mattoraTestNotAPlugin() { return 1; }
