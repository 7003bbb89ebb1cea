#include "preview/lookdev/renderQueue.h"

#include <algorithm>
#include <exception>

namespace lookdev {

RenderQueue::RenderQueue(int threads, int maxJobs, long long budget)
    : maxJobs_(std::max(1, maxJobs)), budget_(budget) {
  for (int t = 0; t < std::max(1, threads); ++t) threads_.emplace_back([this, t] { work(t); });
}

RenderQueue::~RenderQueue() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void RenderQueue::submit(std::shared_ptr<RenderJob> job) {
  auto entry = std::make_shared<Entry>();
  entry->cost = job->cost();
  entry->job = std::move(job);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(std::move(entry));
  }
  changed_.notify_all();
}

void RenderQueue::admit(std::vector<std::shared_ptr<Entry>>& done) {
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    if ((*it)->job->cancelled()) {
      (*it)->cancelled = true;
      done.push_back(*it);
      it = waiting_.erase(it);
      continue;
    }
    const long long cost = (*it)->cost;
    if (static_cast<int>(active_.size()) < maxJobs_ &&
        (active_.empty() || spent_ + cost <= budget_)) {
      spent_ += cost;
      active_.splice(active_.end(), waiting_, it++);
    } else {
      ++it;
    }
  }
}

void RenderQueue::work(int thread) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    std::vector<std::shared_ptr<Entry>> done;
    admit(done);
    if (!done.empty()) {
      lock.unlock();
      for (const auto& entry : done) entry->job->finish(true);
      lock.lock();
      continue;
    }
    // The job that has had the fewest turns takes the next: jobs share the
    // threads evenly, and one that has just come is served at once.
    const auto turns = [](const Entry& e) { return e.next + (e.started ? 1 : 0); };
    std::shared_ptr<Entry> chosen;
    for (const std::shared_ptr<Entry>& entry : active_) {
      const Entry& e = *entry;
      const bool ready = !e.started || (e.tasks >= 0 && !e.cancelled && e.next < e.tasks);
      if (ready && (!chosen || turns(e) < turns(*chosen))) chosen = entry;
    }
    if (!chosen) {
      if (stopping_ && active_.empty() && waiting_.empty()) return;
      changed_.wait(lock);
      continue;
    }
    int task = -1;  // -1: start the job
    if (!chosen->started)
      chosen->started = true;
    else
      task = chosen->next++;
    ++chosen->running;

    lock.unlock();
    RenderJob& job = *chosen->job;
    bool cancelled = job.cancelled();
    int tasks = 0;
    if (!cancelled) {
      try {
        if (task < 0)
          tasks = job.start();
        else
          job.run(task, thread);
      } catch (const std::exception&) {
        // A job reports its own failures; one that escapes ends the job
        // rather than the thread.
        cancelled = true;
      }
    }
    lock.lock();
    Entry& e = *chosen;
    --e.running;
    if (task < 0) e.tasks = tasks;
    e.cancelled = e.cancelled || cancelled;
    const bool finished = e.running == 0 && e.tasks >= 0 && (e.cancelled || e.next >= e.tasks);
    if (finished) {
      // No thread takes a task of it any more, but until finish() returns
      // the job still holds its pictures (and composes them): only then do
      // its place and its share of the budget go to a waiting job.
      const bool dropped = e.cancelled;
      lock.unlock();
      job.finish(dropped);
      lock.lock();
      active_.remove(chosen);
      spent_ -= e.cost;
    }
    changed_.notify_all();
  }
}

}  // namespace lookdev
