// What one render thread shades with: its state record and the renderer's own
// data of the thread: the scene it renders and the scratch into which
// mi_phen_eval evaluates driven parameters.
#pragma once

#include <shader.h>

namespace mrhost {

constexpr int kEvalScratchBytes = 512;

class Scene;

}  // namespace mrhost

// The renderer's data of one render thread, which the published state points
// to from its member ts and whose type it leaves incomplete. That member is the
// renderer's by its type alone: a shader cannot look behind it, and every copy
// of a state a shader makes and hands back to the renderer (mi_sample_light and
// mi_compute_irradiance get one) points to the same thread's data, so the
// renderer never needs the state to sit inside a record of its own, nor a
// table indexed by thread. The same goes for the scene the thread renders.
struct miTs {
  const mrhost::Scene* scene;
  alignas(16) unsigned char evalScratch[mrhost::kEvalScratchBytes];
};

namespace mrhost {

class ShadingContext {
 public:
  // The renderer functions read `scene` for this thread's samples; without
  // one, the process's own (defaultScene()). The scene outlives the context.
  explicit ShadingContext(int thread = 0, const Scene* scene = nullptr);
  ShadingContext(const ShadingContext&) = delete;
  ShadingContext& operator=(const ShadingContext&) = delete;

  // Sets up the state for one sample: a ray from org along dir that hits
  // point, where the shading normal is normal, shaded by the record shader.
  miState& prepare(const miVector& org, const miVector& dir, const miVector& point,
                   const miVector& normal, miFunction* shader);

  miState& state() { return state_; }

 private:
  miState state_;
  miTs thread_;
};

}  // namespace mrhost
