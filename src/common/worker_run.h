#pragma once
// Work that blocks for as long as a drive works on its own (a firmware erase can take hours), run on a
// worker thread while the calling thread goes on handling its window. What the worker reports — log
// lines, progress — is handed back and applied on the calling thread, in the order it was reported,
// between two rounds of the window's messages: a window's controls are only ever touched by the
// thread that owns them.

#include <functional>

namespace trelvane {

// The worker's way back to the calling thread.
class CallerQueue {
 public:
  virtual ~CallerQueue() = default;
  // `action` runs later on the calling thread; it must not refer to the worker's locals.
  virtual void Post(std::function<void()> action) = 0;
};

// How often the calling thread handles its messages while it waits for the worker.
inline constexpr int WorkerPumpMs = 40;

// Runs `work` on a worker thread; returns when it has finished and everything it posted has been
// applied. Meanwhile `pumpMessages` runs on the calling thread at least every WorkerPumpMs. An
// exception thrown by the work is thrown again here. When `pumpMessages` throws, the worker is still
// waited for (it uses what the caller owns), what it posts afterwards is dropped, and the exception
// goes on.
void RunOnWorker(const std::function<void(CallerQueue&)>& work, const std::function<void()>& pumpMessages);

}  // namespace trelvane
