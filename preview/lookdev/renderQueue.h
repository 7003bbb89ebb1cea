// The render threads of a lookdev server, shared by every frame and plot it
// works on. A job is cut into tasks (a tile of one host's view, a host's
// curves); the threads take one task at a time, each from the job that has
// had the fewest so far, so jobs run at once and share the threads evenly,
// and a small job is done soon however many large ones are running.
#pragma once

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lookdev {

class RenderJob {
 public:
  virtual ~RenderJob() = default;
  // What the job holds while it is worked on (pixels of its pictures), for
  // the queue's budget.
  virtual long long cost() const = 0;
  // Once, on a render thread, before any task: sets the job up and says how
  // many tasks it has (none: it is finished at once).
  virtual int start() = 0;
  // Task `task` on render thread `thread` (0 <= thread < the queue's
  // threads); different tasks of a job run at the same time.
  virtual void run(int task, int thread) = 0;
  // Asked before the job starts and before each task, from any thread; once
  // true, no further task of the job begins.
  virtual bool cancelled() const = 0;
  // Once, on a render thread, when the last task has run, or once the job is
  // cancelled and none of its tasks is running.
  virtual void finish(bool cancelled) = 0;
};

class RenderQueue {
 public:
  // At most `maxJobs` jobs are worked on at once, whose costs add up to at
  // most `budget` (a job that alone exceeds it runs when nothing else does);
  // the others wait, in the order they came, holding no thread.
  RenderQueue(int threads, int maxJobs, long long budget);
  // Waits until every job submitted has finished.
  ~RenderQueue();
  RenderQueue(const RenderQueue&) = delete;
  RenderQueue& operator=(const RenderQueue&) = delete;

  int threads() const { return static_cast<int>(threads_.size()); }
  void submit(std::shared_ptr<RenderJob> job);

 private:
  struct Entry {
    std::shared_ptr<RenderJob> job;
    long long cost = 0;
    bool started = false;  // start() has been called (or is being called)
    int tasks = -1;        // known once start() returned
    int next = 0;          // the next task to hand out
    int running = 0;       // tasks being run, and a start() under way
    bool cancelled = false;
  };
  using Entries = std::list<std::shared_ptr<Entry>>;

  void work(int thread);
  // Under the lock: admits waiting jobs that fit; moves cancelled waiting
  // jobs to `done`.
  void admit(std::vector<std::shared_ptr<Entry>>& done);

  const int maxJobs_;
  const long long budget_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Entries active_;   // worked on
  Entries waiting_;  // not yet admitted, in the order they came
  long long spent_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace lookdev
