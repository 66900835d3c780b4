#pragma once
// The one owner of an open file descriptor of this backend. It closes the descriptor when it goes
// out of scope, is replaced or is closed, so an early return or an exception between open and the
// end of its use never leaks it. Move-only: two owners would close one number twice, the second time
// perhaps someone else's newly opened file.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace trelvane::linux_platform {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes over what open() returned; a negative value is held as "nothing open".
  explicit FileDescriptor(int fd) : fd_(fd < 0 ? -1 : fd) {}
  ~FileDescriptor() { Close(); }

  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }

  // Closes the descriptor now; afterwards nothing is open. A failing close is not retried: on Linux
  // the number is released even then.
  void Close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_ = -1;
};

// open(2) of `path`, tried again while a signal interrupts it. When nothing opened, errno says why.
inline FileDescriptor OpenFile(const std::string& path, int flags) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  return FileDescriptor(fd);
}

}  // namespace trelvane::linux_platform
