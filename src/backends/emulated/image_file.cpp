#include "backends/emulated/image_file.h"

#include <system_error>
#include <utility>

namespace trelvane::emulated {

ImageFile::ImageFile(std::filesystem::path path, std::int64_t lengthBytes)
    : path_(std::move(path)), lengthBytes_(lengthBytes) {}

bool ImageFile::EnsureOpen() {
  if (stream_.is_open()) return true;
  std::error_code error;
  if (!std::filesystem::exists(path_, error)) {
    // Creating the file and setting its size leaves it sparse where the file system allows.
    std::ofstream(path_, std::ios::binary).close();
    std::filesystem::resize_file(path_, static_cast<std::uintmax_t>(lengthBytes_), error);
    if (error) return false;
  }
  stream_.open(path_, std::ios::in | std::ios::out | std::ios::binary);
  return stream_.is_open();
}

bool ImageFile::WriteAt(std::int64_t offsetBytes, std::span<const std::uint8_t> data) {
  if (!EnsureOpen()) return false;
  stream_.clear();
  stream_.seekp(offsetBytes);
  stream_.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(stream_);
}

bool ImageFile::ReadAt(std::int64_t offsetBytes, std::span<std::uint8_t> buffer) {
  if (!EnsureOpen()) return false;
  stream_.clear();
  // A read follows writes on the same stream: they must reach the file first.
  stream_.flush();
  stream_.seekg(offsetBytes);
  stream_.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
  return static_cast<bool>(stream_);
}

bool ImageFile::Flush() {
  if (!EnsureOpen()) return false;
  stream_.clear();
  stream_.flush();
  return static_cast<bool>(stream_);
}

void ImageFile::Close() {
  if (stream_.is_open()) stream_.close();
}

}  // namespace trelvane::emulated
