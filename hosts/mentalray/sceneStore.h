// Storage behind the scene's tags, shared by the scene, the renderer
// functions and the test switches. Not part of the renderer's API.
#pragma once

#include <shader.h>

#include "hosts/mentalray/scene.h"
#include "hosts/mentalray/testing.h"

namespace mrhost::detail {

enum class ElementKind { None, Light, Shader, ScriptedLight };

struct Element {
  ElementKind kind = ElementKind::None;
  Light light;
  ShaderFunction shader = nullptr;
  int resultSize = 0;
  alignas(16) unsigned char shaderParams[kMaxShaderParamBytes] = {};
  ScriptedSample script[kMaxScriptedSamples] = {};
  int scriptLength = 0;
};

// A fixed table indexed by tag, so lookups never allocate or lock.
const Element* find(miTag tag);
miTag add(const Element& element);

// The test switches as the renderer functions see them: one relaxed load each
// when off.
bool callLogOn();
void logCall(RendererCall call, const miState* state, const void* param, miTag light,
             miInteger counter);
bool scribbling();

}  // namespace mrhost::detail
