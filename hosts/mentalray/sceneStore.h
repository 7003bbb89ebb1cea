// Storage behind a scene's tags, shared by the scene, the renderer functions
// and the test switches. Not part of the renderer's API.
#pragma once

#include <shader.h>

#include <vector>

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

struct SceneStore {
  // Indexed by tag - 1; grows only while the scene is set up, so a lookup
  // during rendering neither allocates nor locks.
  std::vector<Element> elements;
  Environment sky;
  bool irradianceOn = false;

  static SceneStore& of(Scene& scene) { return *scene.store_; }
  static const SceneStore& of(const Scene& scene) { return *scene.store_; }
};

// nullptr for a tag the scene does not hold.
const Element* find(const Scene& scene, miTag tag);
miTag add(Scene& scene, const Element& element);

// The scene a renderer function reads: that of the state's render thread,
// or the process's own for a state that has none.
const Scene& sceneOf(const miState* state);

// The test switches as the renderer functions see them: one relaxed load each
// when off.
bool callLogOn();
void logCall(RendererCall call, const miState* state, const void* param, miTag light,
             miInteger counter);
bool scribbling();

}  // namespace mrhost::detail
