// What one render thread shades with: its state record and the scratch into
// which mi_phen_eval evaluates driven parameters for that state.
#pragma once

#include <shader.h>

namespace mrhost {

constexpr int kEvalScratchBytes = 512;

class ShadingContext {
 public:
  explicit ShadingContext(int thread = 0);
  ShadingContext(const ShadingContext&) = delete;
  ShadingContext& operator=(const ShadingContext&) = delete;

  // Sets up the state for one sample: a ray from org along dir that hits
  // point, where the shading normal is normal, shaded by the record shader.
  miState& prepare(const miVector& org, const miVector& dir, const miVector& point,
                   const miVector& normal, miFunction* shader);

  miState& state() { return state_; }

 private:
  miState state_;
  alignas(16) unsigned char scratch_[kEvalScratchBytes];
};

}  // namespace mrhost
