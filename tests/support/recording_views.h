#pragma once
// Recording fakes of the core's view interfaces, for tests.

#include <string>
#include <vector>

#include "common/views.h"

namespace trelvane::testing {

class RecordingSink : public LineSink {
 public:
  void AppendLine(const std::u16string& text) override { lines.push_back(text); }
  std::vector<std::u16string> lines;
};

class RecordingBoxes : public MessageBoxes {
 public:
  struct Box {
    std::u16string text;
    std::u16string caption;
    MessageIcon icon;
  };
  void ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
  }
  std::vector<Box> boxes;
};

class RecordingStartupWindows : public StartupWindows {
 public:
  void ShowDebugWindowModeless() override { events.push_back(u"show debug window"); }
  void SetChooserCaption(const std::u16string& text) override { events.push_back(u"chooser caption: " + text); }
  void SetProgramNameLabel(const std::u16string& text) override { events.push_back(u"program name: " + text); }
  void SetMainCaption(const std::u16string& text) override { events.push_back(u"main caption: " + text); }
  void SetMainStatusPanel(int panel, const std::u16string& text) override {
    events.push_back(u"status panel " + std::u16string(1, static_cast<char16_t>(u'0' + panel)) + u": " + text);
  }
  void SetChooserMakerNotice(const std::u16string& text) override { events.push_back(u"maker notice: " + text); }
  void SetMakerLink(const std::u16string& text) override { events.push_back(u"maker link: " + text); }
  void SetChooserStatusText(const std::u16string& text) override { events.push_back(u"chooser status: " + text); }
  std::vector<std::u16string> events;
};

}  // namespace trelvane::testing
