// A progress bar on standard error, drawn only when that is a terminal.
#pragma once

#include <string>

namespace preview {

class ProgressBar {
 public:
  ProgressBar();   // enabled when standard error is a terminal
  ~ProgressBar();  // clears the bar

  bool enabled() const { return enabled_; }

  // Draws `label` and the fraction done of the whole run; `part` of `parts`
  // is the step (host) that `fraction` belongs to.
  void update(const std::string& label, int part, int parts, double fraction);

 private:
  bool enabled_;
  bool drawn_ = false;
};

}  // namespace preview
