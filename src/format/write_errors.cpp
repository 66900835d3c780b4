#include "format/write_errors.h"

#include <array>

#include "os/win_constants.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr const char16_t* GoneLine = u"Устройство было отключено, прерывание...";
constexpr const char16_t* ChangedLine = u"Размер устройства изменился во время форматирования, прерывание...";

struct WriteError {
  std::uint32_t code;
  const char16_t* text;
  bool deviceGone;        // the run cannot go on: there is no device to write to
  const char16_t* endsRun;  // the line that ends the run, or nullptr when the run skips the block
};

constexpr std::array<WriteError, 7> WriteErrors{{
    {ErrorCode::FileNotFound, u"Носитель был отключен", true, GoneLine},
    {ErrorCode::WriteProtect, u"Носитель защищен от записи", false, nullptr},
    {ErrorCode::NotReady, u"Устройство не готово (тайм-аут)", false, nullptr},
    {ErrorCode::DevNotExist, u"Носитель был отключен", true, GoneLine},
    {ErrorCode::SemTimeout, u"Устройство не готово (тайм-аут)", false, nullptr},
    {ErrorCode::MediaChanged, u"Носитель был заменен", false, ChangedLine},
    {ErrorCode::IoDevice, u"Ошибка устройства ввода-вывода", false, nullptr},
}};

const WriteError* Find(std::uint32_t code) {
  for (const WriteError& row : WriteErrors) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

std::u16string WriteErrorLine(std::int64_t offset, std::int64_t length, std::uint32_t code) {
  std::u16string text = WriteErrorText(code);
  if (!text.empty()) text = u" - " + text;
  return u"Ошибка форматирования произошла по смещению " + GroupDigits(offset) + u", длина " +
         GroupDigits(length) + u" байт:   " + DecimalUnsigned(code) + text;
}

bool FailureConcernsWholeDevice(std::uint32_t code) {
  return code == ErrorCode::AccessDenied || code == ErrorCode::WriteProtect || code == ErrorCode::NotReady ||
         code == ErrorCode::SharingViolation || code == ErrorCode::InvalidParameter;
}

std::u16string WriteErrorText(std::uint32_t code) {
  const WriteError* row = Find(code);
  return row != nullptr ? row->text : std::u16string();
}

bool DeviceIsGone(std::uint32_t code) {
  const WriteError* row = Find(code);
  return row != nullptr && row->deviceGone;
}

std::u16string RunEndingLine(std::uint32_t code) {
  const WriteError* row = Find(code);
  return row != nullptr && row->endsRun != nullptr ? row->endsRun : std::u16string();
}

bool DeviceIsInUse(std::uint32_t code) { return code == ErrorCode::SharingViolation; }

}  // namespace trelvane
