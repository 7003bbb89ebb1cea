// A renderer module reduced to its three exported functions, each answering
// with this module's number so a test can tell which module a call reached.
// Built once per number; FAKE_WITHOUT_IRRADIANCE leaves one function out.
#include <shader.h>

namespace {
miScalar ownValue = FAKE_ID;
}

extern "C" {

DLLEXPORT int fakeCalls = 0;

DLLEXPORT void* mi_phen_eval(miState*, void*) {
  ++fakeCalls;
  return &ownValue;
}

DLLEXPORT miBoolean mi_sample_light(miColor* result, miVector*, miScalar*, miState*, miTag,
                                    miInteger* samples) {
  ++fakeCalls;
  result->r = FAKE_ID;
  ++*samples;
  return miTRUE;
}

#ifndef FAKE_WITHOUT_IRRADIANCE
DLLEXPORT miBoolean mi_compute_irradiance(miColor* result, miState*) {
  ++fakeCalls;
  result->r = result->g = result->b = FAKE_ID;
  return miTRUE;
}
#endif
}
