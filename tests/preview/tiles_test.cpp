#include "preview/tiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

using preview::runTiles;
using preview::Tile;
using preview::TileScheduler;

namespace {

TEST(Tiles, EveryPixelIsRenderedExactlyOnce) {
  struct Case {
    const char* name;
    int width, height, tileSize, threads;
  };
  const std::vector<Case> cases = {
      {"one pixel", 1, 1, 32, 4},
      {"image smaller than a tile", 20, 10, 32, 3},
      {"exact multiple of the tile", 64, 96, 32, 2},
      {"ragged right and bottom edges", 100, 37, 32, 8},
      {"more threads than tiles", 40, 40, 32, 16},
      {"single thread", 70, 33, 16, 1},
      {"tiny tiles, many threads", 57, 43, 3, 7},
  };
  for (const Case& c : cases) {
    TileScheduler scheduler(c.width, c.height, c.tileSize);
    const int columns = (c.width + c.tileSize - 1) / c.tileSize;
    const int rows = (c.height + c.tileSize - 1) / c.tileSize;
    EXPECT_EQ(scheduler.tileCount(), columns * rows) << c.name;

    std::unique_ptr<std::atomic<int>[]> visits(new std::atomic<int>[c.width * c.height]);
    for (int i = 0; i < c.width * c.height; ++i) visits[i] = 0;
    std::atomic<int> badTiles{0}, badThreadIndex{0};
    runTiles(scheduler, c.threads, [&](int thread, const Tile& t) {
      if (thread < 0 || thread >= c.threads) ++badThreadIndex;
      if (t.x0 < 0 || t.y0 < 0 || t.x1 > c.width || t.y1 > c.height || t.x0 >= t.x1 ||
          t.y0 >= t.y1 || t.x1 - t.x0 > c.tileSize || t.y1 - t.y0 > c.tileSize) {
        ++badTiles;
        return;
      }
      for (int y = t.y0; y < t.y1; ++y)
        for (int x = t.x0; x < t.x1; ++x) ++visits[y * c.width + x];
    });
    EXPECT_EQ(badTiles, 0) << c.name;
    EXPECT_EQ(badThreadIndex, 0) << c.name;
    int wrong = 0;
    for (int i = 0; i < c.width * c.height; ++i) wrong += visits[i] != 1;
    EXPECT_EQ(wrong, 0) << c.name << ": pixels visited other than once";

    Tile after{};
    EXPECT_FALSE(scheduler.next(after)) << c.name << ": tiles left after the run";
  }
}

TEST(Tiles, PollRunsOnTheCallingThreadUntilDone) {
  TileScheduler scheduler(64, 64, 8);
  std::atomic<int> done{0};
  int polls = 0, lastSeen = -1;
  runTiles(
      scheduler, 2, [&](int, const Tile&) { ++done; },
      [&] {
        ++polls;
        lastSeen = done;
      });
  EXPECT_GE(polls, 1);
  EXPECT_EQ(lastSeen, 64) << "the last poll sees every tile finished";
}

}  // namespace
