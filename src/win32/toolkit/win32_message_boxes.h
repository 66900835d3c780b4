#pragma once
// The program's message boxes: the system's own, without an owner, modal for the whole program.

#include "common/views.h"

namespace trelvane {

class Win32MessageBoxes final : public MessageBoxes {
 public:
  void ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override;
};

}  // namespace trelvane
