#include "format/write_errors.h"

#include <array>

#include "os/win_constants.h"

namespace trelvane {

namespace {

struct WriteError {
  std::uint32_t code;
  const char16_t* text;
  bool deviceGone;  // the run cannot go on: there is no device to write to
};

constexpr std::array<WriteError, 6> WriteErrors{{
    {ErrorCode::FileNotFound, u"Носитель был отключен", true},
    {ErrorCode::WriteProtect, u"Носитель защищен от записи", false},
    {ErrorCode::NotReady, u"Устройство не готово (тайм-аут)", false},
    {ErrorCode::DevNotExist, u"Носитель был отключен", true},
    {ErrorCode::SemTimeout, u"Устройство не готово (тайм-аут)", false},
    {ErrorCode::IoDevice, u"Ошибка устройства ввода-вывода", false},
}};

const WriteError* Find(std::uint32_t code) {
  for (const WriteError& row : WriteErrors) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

std::u16string WriteErrorText(std::uint32_t code) {
  const WriteError* row = Find(code);
  return row != nullptr ? row->text : std::u16string();
}

bool DeviceIsGone(std::uint32_t code) {
  const WriteError* row = Find(code);
  return row != nullptr && row->deviceGone;
}

}  // namespace trelvane
