#include "backends/emulated/request_log.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "text/u16.h"

namespace trelvane::emulated {

namespace {

std::string LowerHex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    text.push_back(Digits[byte >> 4]);
    text.push_back(Digits[byte & 0x0F]);
  }
  return text;
}

// The keys each call adds between "path" and "ok".
struct CallFields {
  std::string_view call;
  void (*write)(nlohmann::ordered_json& line, const RecordedRequest& request);
};

constexpr CallFields CallFieldTable[] = {
    {"CreateFile",
     [](nlohmann::ordered_json& line, const RecordedRequest& request) {
       line["access"] = request.access;
       line["share"] = request.share;
     }},
    {"DeviceIoControl",
     [](nlohmann::ordered_json& line, const RecordedRequest& request) {
       line["code"] = request.code;
       line["in"] = LowerHex(request.in);
       line["out_size"] = request.outSize;
     }},
    {"WriteFile",
     [](nlohmann::ordered_json& line, const RecordedRequest& request) {
       line["offset"] = request.offset;
       line["size"] = request.size;
     }},
    {"ReadFile",
     [](nlohmann::ordered_json& line, const RecordedRequest& request) {
       line["offset"] = request.offset;
       line["size"] = request.size;
     }},
    {"SetFilePointerEx",
     [](nlohmann::ordered_json& line, const RecordedRequest& request) { line["offset"] = request.offset; }},
    {"ShellExecute",
     [](nlohmann::ordered_json& line, const RecordedRequest& request) { line["verb"] = ToUtf8(request.verb); }},
};

}  // namespace

RequestLog::RequestLog(const std::optional<std::filesystem::path>& file) {
  if (!file) return;
  file_.open(*file, std::ios::binary | std::ios::app);
  if (!file_) throw std::runtime_error("cannot open " + file->string() + " for appending");
}

void RequestLog::Add(RecordedRequest request) {
  if (file_.is_open()) {
    // Flushed line by line, so a reader sees every request answered so far, even mid-run.
    file_ << RequestLogLine(request) << '\n';
    file_.flush();
  }
  requests_.push_back(std::move(request));
}

std::string RequestLogLine(const RecordedRequest& request) {
  nlohmann::ordered_json line;
  line["call"] = request.call;
  line["path"] = ToUtf8(request.path);
  for (const CallFields& entry : CallFieldTable)
    if (entry.call == request.call) entry.write(line, request);
  line["ok"] = request.ok;
  if (request.call == "DeviceIoControl") line["returned"] = request.returned;
  line["error"] = request.error;
  return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace trelvane::emulated
