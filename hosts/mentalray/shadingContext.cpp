#include "hosts/mentalray/shadingContext.h"

#include "hosts/mentalray/scene.h"

#include <cmath>
#include <cstring>

namespace mrhost {

ShadingContext::ShadingContext(int thread, const Scene* scene) {
  std::memset(&state_, 0, sizeof state_);
  std::memset(&thread_, 0, sizeof thread_);
  state_.version = 1;
  state_.thread = static_cast<short>(thread);
  state_.ior = state_.ior_in = 1.0f;
  thread_.scene = scene ? scene : &defaultScene();
  state_.ts = &thread_;
}

miState& ShadingContext::prepare(const miVector& org, const miVector& dir, const miVector& point,
                                 const miVector& normal, miFunction* shader) {
  state_.org = org;
  state_.dir = dir;
  state_.point = point;
  state_.normal = normal;
  state_.normal_geom = normal;
  state_.dot_nd = dir.x * normal.x + dir.y * normal.y + dir.z * normal.z;
  const miVector d{point.x - org.x, point.y - org.y, point.z - org.z};
  state_.dist = std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
  state_.shader = shader;
  return state_;
}

}  // namespace mrhost
