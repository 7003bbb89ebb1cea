// What the renderer needs from a host: a way to shade one camera sample.
//
// A host adapter (the Maya path, the mental ray path) implements
// ShadingBackend. prepare() runs once on the main thread before rendering;
// forThread() is then called on the main thread once per render thread, and
// each ThreadShader is used by that one thread only, so it may keep host
// state (a data block, a render state) of its own. shade() runs per sample:
// it must not allocate, lock or touch state shared with other threads.
#pragma once

#include "preview/scene.h"

#include <memory>
#include <string>

namespace preview {

// One camera sample that hit a sphere; everything in camera space.
struct Hit {
  int sphere;      // index into Scene::spheres
  Vec3 point;      // hit point
  Vec3 normal;     // unit outward normal
  Vec3 direction;  // unit eye-ray direction (from the camera toward the point)
};

class ThreadShader {
 public:
  virtual ~ThreadShader() = default;
  // Linear colour of the sample.
  virtual Rgb shade(const Hit& hit) = 0;
};

class ShadingBackend {
 public:
  virtual ~ShadingBackend() = default;
  // Short name, used in the row label and the summary ("maya", "mentalray").
  virtual const char* name() const = 0;
  // Loads what the host needs and sets up one material per sphere of the
  // scene, which outlives the backend's use. On failure returns false and
  // sets `error` to one line naming the problem.
  virtual bool prepare(const Scene& scene, std::string& error) = 0;
  // Never null; whatever can fail belongs in prepare().
  virtual std::unique_ptr<ThreadShader> forThread() = 0;
};

}  // namespace preview
