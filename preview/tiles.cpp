#include "preview/tiles.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace preview {

TileScheduler::TileScheduler(int width, int height, int tileSize)
    : width_(width),
      height_(height),
      tileSize_(tileSize),
      columns_((width + tileSize - 1) / tileSize),
      rows_((height + tileSize - 1) / tileSize) {}

bool TileScheduler::next(Tile& tile) {
  const int index = next_.fetch_add(1, std::memory_order_relaxed);
  if (index >= tileCount()) return false;
  tile = tileAt(index);
  return true;
}

Tile TileScheduler::tileAt(int index) const {
  const int x0 = (index % columns_) * tileSize_;
  const int y0 = (index / columns_) * tileSize_;
  return Tile{x0, y0, std::min(x0 + tileSize_, width_), std::min(y0 + tileSize_, height_)};
}

void runTiles(TileScheduler& scheduler, int threads,
              const std::function<void(int threadIndex, const Tile& tile)>& work,
              const std::function<void()>& onPoll) {
  // The lock is taken once per thread, when it runs out of tiles, so that a
  // waiting caller wakes as soon as the last one is done.
  std::mutex mutex;
  std::condition_variable finished;
  int running = threads;
  std::vector<std::thread> pool;
  pool.reserve(static_cast<size_t>(threads));
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      Tile tile{};
      while (scheduler.next(tile)) work(t, tile);
      {
        const std::lock_guard<std::mutex> lock(mutex);
        --running;
      }
      finished.notify_all();
    });
  }
  if (onPoll) {
    std::unique_lock<std::mutex> lock(mutex);
    while (running > 0) {
      lock.unlock();
      onPoll();
      lock.lock();
      finished.wait_for(lock, std::chrono::milliseconds(50), [&] { return running == 0; });
    }
    lock.unlock();
    onPoll();
  }
  for (std::thread& thread : pool) thread.join();
}

}  // namespace preview
