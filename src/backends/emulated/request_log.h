#pragma once
// The requests the machine answered: kept in memory for tests and, when the machine file names a
// request log, appended to that file as one JSON object per line for scripts and acceptance checks.

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "backends/emulated/emulated_system.h"

namespace trelvane::emulated {

inline RecordedRequest NewRecord(const char* call) {
  RecordedRequest record;
  record.call = call;
  return record;
}

class RequestLog {
 public:
  // Throws std::runtime_error when the file cannot be opened for appending.
  explicit RequestLog(const std::optional<std::filesystem::path>& file);

  void Add(RecordedRequest request);
  const std::vector<RecordedRequest>& All() const { return requests_; }
  // Forgets the requests kept in memory; the file keeps its lines.
  void Clear() { requests_.clear(); }

 private:
  std::vector<RecordedRequest> requests_;
  std::ofstream file_;
};

// One line of the request log (without the line end). Each call writes its own keys, in the order
// call, path, then the call's fields, then ok, (returned,) error:
//   {"call":"DeviceIoControl","path":"\\\\.\\PhysicalDrive0","code":458752,"in":"<hex>",
//    "out_size":512,"ok":true,"returned":24,"error":0}
std::string RequestLogLine(const RecordedRequest& request);

}  // namespace trelvane::emulated
