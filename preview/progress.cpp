#include "preview/progress.h"

#include <unistd.h>

#include <cstdio>

namespace preview {

namespace {
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar() : enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
  if (drawn_) std::fprintf(stderr, "\r%*s\r", kBarWidth + 32, "");
}

void ProgressBar::update(const std::string& label, int part, int parts, double fraction) {
  if (!enabled_ || parts <= 0) return;
  const double total = (part + fraction) / parts;
  const int filled = static_cast<int>(total * kBarWidth + 0.5);
  char bar[kBarWidth + 1];
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = '\0';
  std::fprintf(stderr, "\r[%s] %3d%% %-12s", bar, static_cast<int>(total * 100.0 + 0.5),
               label.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace preview
