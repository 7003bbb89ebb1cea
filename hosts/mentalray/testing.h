// Test-only switches of the stand-in renderer: lights with scripted answers,
// a log of the renderer-function calls, and a renderer that scribbles on the
// states it is given. Shader libraries never see this header.
#pragma once

#include <shader.h>

#include <vector>

namespace mrhost {

// One answer of mi_sample_light: the light colour and the direction to report.
struct ScriptedSample {
  miColor color;
  miVector dir;
};

constexpr int kMaxScriptedSamples = 16;

// In the process's own scene (defaultScene()): a light whose mi_sample_light
// answers the samples in order (the counter advanced each time), then false.
// With no samples it is false at once.
miTag addScriptedLight(const std::vector<ScriptedSample>& samples);

// In the process's own scene: a shader that drives a parameter with a fixed
// value of `size` bytes.
miTag addConstantShader(const void* value, int size);

enum class RendererCall { PhenEval, SampleLight, ComputeIrradiance };

struct CallRecord {
  RendererCall call;
  const miState* statePointer;
  miState state;      // the state as the function received it
  const void* param;  // mi_phen_eval: the parameter's address
  miTag light;        // mi_sample_light: the light tag
  miInteger counter;  // mi_sample_light: the sample counter on entry
};

constexpr int kMaxCallRecords = 64;

// Starts recording renderer-function calls afresh (at most kMaxCallRecords).
void startCallLog();
void stopCallLog();
std::vector<CallRecord> callLog();

// When on, mi_sample_light and mi_compute_irradiance overwrite the normal,
// point and direction of the state they receive after answering.
void scribbleOnStates(bool on);

}  // namespace mrhost
