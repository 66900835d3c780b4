#pragma once
// The program's message boxes as Qt message boxes: caption, text, icon and one "ОК" button.

#include "common/views.h"

namespace trelvane {

class QtMessageBoxes final : public MessageBoxes {
 public:
  // Modal to the whole application and without an owner window, as the platform's message box
  // called without one.
  void ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override;
};

}  // namespace trelvane
