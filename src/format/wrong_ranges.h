#pragma once
// The byte ranges a verification found wrong, joined while the pass walks the drive so that the
// format log gets one line per contiguous range (never one per sector), written when the range ends.

#include <cstdint>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "os/system.h"

namespace trelvane {

struct WrongRange {
  enum class Kind {
    NotZero,     // read back, but not zero: the device did not store the zeros
    Unreadable,  // the device refused to read it back; `code` says why
    Wrapped,     // past the device's real size: its writes land at its start
    LostWrite,   // a position stamp read back as something else (zeros too): the device dropped the write
  };
  Kind kind = Kind::NotZero;
  std::int64_t from = 0;
  std::int64_t to = 0;
  std::uint32_t code = 0;
  friend bool operator==(const WrongRange&, const WrongRange&) = default;
};

// The format log's line for a range.
std::u16string WrongRangeLine(System& system, const WrongRange& range);

class WrongRangeList {
 public:
  WrongRangeList(System& system, DiagnosticLog& log) : system_(system), log_(log) {}

  // Extends the open range when `range` continues it with the same kind and code; otherwise closes
  // the open range (logging it) and opens `range`.
  void Add(const WrongRange& range);
  // Logs and keeps the open range, if any.
  void Close();
  const std::vector<WrongRange>& Ranges() const { return ranges_; }
  // The bytes the ranges cover, each byte once: a wrapped range may cover sectors found wrong before.
  std::int64_t Bytes() const;

 private:
  System& system_;
  DiagnosticLog& log_;
  std::vector<WrongRange> ranges_;
  bool open_ = false;
};

}  // namespace trelvane
