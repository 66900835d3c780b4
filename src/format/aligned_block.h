#pragma once
// A large block of memory for device I/O, from the platform (System::VirtualAlloc): aligned for
// unbuffered transfers, so a backend can hand it to the device as it is, and released on every path.

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "os/system.h"

namespace trelvane {

class AlignedBlock {
 public:
  AlignedBlock() = default;
  // `bytes` zeros (the platform's fresh memory is zeroed); throws std::bad_alloc when the platform has
  // not enough memory.
  AlignedBlock(System& system, std::size_t bytes) : system_(&system), bytes_(bytes), data_(system.VirtualAlloc(bytes)) {
    if (data_ == nullptr) throw std::bad_alloc();
  }
  ~AlignedBlock() { reset(); }
  AlignedBlock(AlignedBlock&& other) noexcept { *this = std::move(other); }
  AlignedBlock& operator=(AlignedBlock&& other) noexcept {
    if (this != &other) {
      reset();
      system_ = std::exchange(other.system_, nullptr);
      bytes_ = std::exchange(other.bytes_, 0);
      data_ = std::exchange(other.data_, nullptr);
    }
    return *this;
  }

  std::uint8_t* get() const { return data_; }
  void reset() {
    if (data_ != nullptr) system_->VirtualFree(data_, bytes_);
    data_ = nullptr;
  }

 private:
  System* system_ = nullptr;
  std::size_t bytes_ = 0;
  std::uint8_t* data_ = nullptr;
};

}  // namespace trelvane
