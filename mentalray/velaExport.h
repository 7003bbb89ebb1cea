// The annotation of the library's three exports. shader.h's DLLEXPORT is
// empty off Windows in every published vintage, which under hidden visibility
// would leave the library exporting nothing, so the library says it itself.
#pragma once

#if defined(_WIN32)
#define VELA_EXPORT __declspec(dllexport)
#else
#define VELA_EXPORT __attribute__((visibility("default")))
#endif
