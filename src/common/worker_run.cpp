#include "common/worker_run.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace trelvane {

namespace {

class GuardedQueue final : public CallerQueue {
 public:
  void Post(std::function<void()> action) override {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      actions_.push_back(std::move(action));
    }
    changed_.notify_one();
  }

  void Finish(std::exception_ptr failure) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
      failure_ = std::move(failure);
    }
    changed_.notify_one();
  }

  // Waits up to WorkerPumpMs for something to apply or the end, then takes what was posted so far.
  // True while the worker may still post.
  bool Take(std::deque<std::function<void()>>& taken) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(WorkerPumpMs), [this] { return finished_ || !actions_.empty(); });
    taken.swap(actions_);
    return !finished_;
  }

  std::exception_ptr Failure() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> actions_;
  bool finished_ = false;
  std::exception_ptr failure_;
};

}  // namespace

void RunOnWorker(const std::function<void(CallerQueue&)>& work, const std::function<void()>& pumpMessages) {
  GuardedQueue queue;
  std::thread worker([&work, &queue] {
    std::exception_ptr failure;
    try {
      work(queue);
    } catch (...) {
      failure = std::current_exception();
    }
    queue.Finish(std::move(failure));
  });
  try {
    std::deque<std::function<void()>> taken;
    bool running = true;
    while (running) {
      running = queue.Take(taken);
      for (std::function<void()>& action : taken) action();
      taken.clear();
      if (running) pumpMessages();
    }
  } catch (...) {
    worker.join();
    throw;
  }
  worker.join();
  if (const std::exception_ptr failure = queue.Failure()) std::rethrow_exception(failure);
}

}  // namespace trelvane
