// Work on a worker thread that reports back to the calling thread: what it posts is applied there, in
// order; the caller keeps handling its messages while the work blocks; a failure comes back.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/worker_run.h"

namespace trelvane {
namespace {

TEST(RunOnWorker, PostsAppliedInOrderOnTheCallerWhileItsMessagesGoOn) {
  for (const bool fails : {false, true}) {
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> applied;
    std::atomic<int> pumps{0};
    bool appliedOnCaller = true;
    const auto work = [&](CallerQueue& queue) {
      for (int step = 1; step <= 3; ++step)
        queue.Post([&, step] {
          applied.push_back(step);
          appliedOnCaller = appliedOnCaller && std::this_thread::get_id() == caller;
        });
      // Blocks like a drive at work until the caller has handled its messages twice more.
      const int seen = pumps.load();
      while (pumps.load() < seen + 2) std::this_thread::yield();
      queue.Post([&] { applied.push_back(4); });
      if (fails) throw std::runtime_error("drive gone");
    };
    const auto run = [&] { RunOnWorker(work, [&] { ++pumps; }); };
    if (fails) EXPECT_THROW(run(), std::runtime_error);
    else run();
    EXPECT_EQ(applied, (std::vector<int>{1, 2, 3, 4})) << fails;
    EXPECT_TRUE(appliedOnCaller);
    EXPECT_GE(pumps.load(), 2);
  }
}

// A failure on the calling thread still waits for the worker, which uses what the caller owns.
TEST(RunOnWorker, ACallerThatFailsWaitsForTheWorkFirst) {
  std::atomic<bool> finished{false};
  const auto work = [&](CallerQueue&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * WorkerPumpMs));
    finished = true;
  };
  EXPECT_THROW(RunOnWorker(work, [] { throw std::logic_error("window gone"); }), std::logic_error);
  EXPECT_TRUE(finished.load());
}

}  // namespace
}  // namespace trelvane
