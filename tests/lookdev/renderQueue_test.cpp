// The render threads' queue with jobs that only keep count: what runs at
// once stays within the budget, a job over the budget runs alone, and a job
// dropped while it waits is finished without being started.
#include <gtest/gtest.h>

#include "preview/lookdev/renderQueue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Ledger {
  std::mutex mutex;
  long long held = 0, most = 0;
  int running = 0, mostRunning = 0;
  bool overBudgetTogether = false;  // more than 100 held by more than one job
};

class CountingJob : public lookdev::RenderJob {
 public:
  CountingJob(Ledger& ledger, long long cost) : ledger_(ledger), cost_(cost) {}

  long long cost() const override { return cost_; }
  int start() override {
    const std::lock_guard<std::mutex> lock(ledger_.mutex);
    started_ = true;
    ledger_.held += cost_;
    ledger_.most = std::max(ledger_.most, ledger_.held);
    ledger_.mostRunning = std::max(ledger_.mostRunning, ++ledger_.running);
    ledger_.overBudgetTogether =
        ledger_.overBudgetTogether || (ledger_.held > 100 && ledger_.running > 1);
    return 4;
  }
  void run(int, int) override { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }
  bool cancelled() const override { return drop; }
  void finish(bool cancelled) override {
    if (started_) {
      const std::lock_guard<std::mutex> lock(ledger_.mutex);
      ledger_.held -= cost_;
      --ledger_.running;
    }
    outcome_.set_value(started_ ? (cancelled ? "cancelled" : "done") : "dropped unstarted");
  }
  std::string outcome() { return future_.get(); }

  std::atomic<bool> drop{false};

 private:
  Ledger& ledger_;
  const long long cost_;
  bool started_ = false;
  std::promise<std::string> outcome_;
  std::future<std::string> future_ = outcome_.get_future();
};

TEST(RenderQueue, JobsRunAtOnceWithinTheBudgetAndTheCount) {
  Ledger ledger;
  std::vector<std::shared_ptr<CountingJob>> jobs;
  {
    lookdev::RenderQueue queue(2, 3, 100);
    for (const long long cost : {60, 30, 30, 10, 10, 150, 40, 0, 0})
      jobs.push_back(std::make_shared<CountingJob>(ledger, cost));
    jobs[6]->drop = true;  // its client left while it waited
    for (const auto& job : jobs) queue.submit(job);
  }  // waits for every job
  for (size_t i = 0; i < jobs.size(); ++i)
    EXPECT_EQ(jobs[i]->outcome(), i == 6 ? "dropped unstarted" : "done") << "job " << i;
  // The job of 150 ran, alone; the others never held more than 100 at once.
  EXPECT_EQ(ledger.most, 150);
  EXPECT_FALSE(ledger.overBudgetTogether);
  EXPECT_LE(ledger.mostRunning, 3);
  EXPECT_GE(ledger.mostRunning, 2) << "jobs ran one at a time";
}

}  // namespace
