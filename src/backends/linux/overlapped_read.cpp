#include "backends/linux/overlapped_read.h"

#include <linux/aio_abi.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace trelvane::linux_platform {

namespace {

aio_context_t* Context(unsigned long& context) { return reinterpret_cast<aio_context_t*>(&context); }

}  // namespace

OverlappedRead::~OverlappedRead() {
  if (context_ != 0) syscall(SYS_io_destroy, context_);
}

bool OverlappedRead::Start(int fd, std::span<std::uint8_t> buffer, std::int64_t offset) {
  if (context_ == 0 && syscall(SYS_io_setup, 1, Context(context_)) != 0) {
    context_ = 0;
    return false;
  }
  iocb request{};
  request.aio_lio_opcode = IOCB_CMD_PREAD;
  request.aio_fildes = static_cast<std::uint32_t>(fd);
  request.aio_buf = reinterpret_cast<std::uint64_t>(buffer.data());
  request.aio_nbytes = buffer.size();
  request.aio_offset = offset;
  iocb* requests[] = {&request};
  if (syscall(SYS_io_submit, context_, 1, requests) != 1) return false;
  fd_ = fd;
  buffer_ = buffer;
  offset_ = offset;
  return true;
}

ReadOutcome OverlappedRead::Wait(AlignedBuffer& bounce) {
  io_event event{};
  long got = 0;
  do {
    got = syscall(SYS_io_getevents, context_, 1, 1, &event, nullptr);
  } while (got < 0 && errno == EINTR);
  if (got != 1) return ReadOutcome{0, got < 0 ? errno : EIO};
  if (event.res < 0) return ReadOutcome{0, static_cast<int>(-event.res)};
  const auto done = static_cast<std::size_t>(event.res);
  if (done >= buffer_.size()) return ReadOutcome{done, 0};
  ReadOutcome rest = ReadAllAt(fd_, buffer_.subspan(done), offset_ + static_cast<std::int64_t>(done), bounce);
  rest.read += done;
  return rest;
}

}  // namespace trelvane::linux_platform
