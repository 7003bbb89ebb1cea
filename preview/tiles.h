// Hands out square tiles of an image to render threads through one atomic
// counter: a thread claims its next tile without a lock and no pixel is
// claimed twice.
#pragma once

#include <atomic>
#include <functional>

namespace preview {

struct Tile {
  int x0, y0, x1, y1;  // half-open pixel ranges [x0, x1) x [y0, y1)
};

class TileScheduler {
 public:
  TileScheduler(int width, int height, int tileSize);

  int tileCount() const { return columns_ * rows_; }
  // Claims the next unclaimed tile; false once all are gone.
  bool next(Tile& tile);
  // Tile `index` (0 <= index < tileCount()), row by row, claimed or not.
  Tile tileAt(int index) const;

 private:
  int width_, height_, tileSize_;
  int columns_, rows_;
  std::atomic<int> next_{0};
};

// Runs work(threadIndex, tile) for every tile of `scheduler` on `threads`
// threads (the calling thread only waits). If onPoll is given, it is called
// on the calling thread about every 50 ms while they run and once at the end.
void runTiles(TileScheduler& scheduler, int threads,
              const std::function<void(int threadIndex, const Tile& tile)>& work,
              const std::function<void()>& onPoll = nullptr);

}  // namespace preview
