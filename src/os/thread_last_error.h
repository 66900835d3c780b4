#pragma once
// A backend's last error as the platform keeps it: one code per calling thread, so that a call made
// on one thread never changes what another thread reads right after its own failed call.
//
// The codes live in the backend object, keyed by thread, rather than in one thread_local shared by
// every backend: tests hold several backends in one process, and each must answer only for the calls
// made on it. A thread that has made no call on this backend reads 0. A guarded map is the simplest
// form that is correct for any number of objects and threads; its lock is taken once per call, next
// to a system call or a device transfer, and costs nothing measurable beside them.

#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

namespace trelvane {

class ThreadLastError {
 public:
  void Set(std::uint32_t code) {
    const std::lock_guard<std::mutex> lock(mutex_);
    codes_[std::this_thread::get_id()] = code;
  }

  std::uint32_t Get() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = codes_.find(std::this_thread::get_id());
    return found != codes_.end() ? found->second : 0;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::thread::id, std::uint32_t> codes_;
};

}  // namespace trelvane
