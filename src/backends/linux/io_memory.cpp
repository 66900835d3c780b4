#include "backends/linux/io_memory.h"

#include <sys/mman.h>

namespace trelvane::linux_platform {

namespace {

constexpr std::uintptr_t HugePage = 2u << 20;

std::size_t Rounded(std::size_t bytes) { return (bytes + HugePage - 1) & ~(HugePage - 1); }

}  // namespace

// Maps one huge page more than asked, then unmaps the ends so the rest starts on a 2 MiB boundary.
std::uint8_t* MapIoMemory(std::size_t bytes) {
  const std::size_t length = Rounded(bytes);
  void* mapped = mmap(nullptr, length + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + HugePage - 1) & ~(HugePage - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  const std::uintptr_t end = start + length + HugePage;
  if (end > aligned + length) munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
  // Advice only: without huge pages the memory works the same, only slower.
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<std::uint8_t*>(aligned);
}

void UnmapIoMemory(std::uint8_t* memory, std::size_t bytes) {
  if (memory != nullptr) munmap(memory, Rounded(bytes));
}

}  // namespace trelvane::linux_platform
