// The Windows program's own windows under test: the chooser's list and refusals, the main window's
// start and fatal ends, the pages' default buttons, a whole session with a quick wipe and a stopped
// full run, closing during a run, and the fallback question dialog. What the windows show comes from
// the shared logic, which the core suite tests; these tests check that the Win32 layer shows it and
// reacts to its controls.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <windows.h>
#include <commctrl.h>

#include "app/chooser_model.h"
#include "format/firmware_erase_method.h"
#include "format/firmware_erase_run.h"
#include "shell/task_dialog.h"
#include "text/u16.h"
#include "win32/toolkit/anchors.h"
#include "win32/toolkit/win32_task_dialog.h"
#include "win32/toolkit/win32_text.h"
#include "win32/control_ids.h"
#include "win32/fm_debug.h"
#include "win32/fm_main.h"
#include "win32_harness.h"

namespace trelvane {
namespace {

using testing::Click;
using testing::ClickIn;
using testing::CloseMessageBox;
using testing::FindModal;
using testing::ItemText;
using testing::PressInTaskDialog;
using testing::Step;
using testing::Text;
using testing::Win32Harness;

constexpr long long Sectors = 98304;  // 48 MiB

std::string Drive(int number, long long sectors, const std::string& ata, const std::string& extra = "") {
  std::string json = "{\"number\": " + std::to_string(number) + ", \"length\": " + std::to_string(sectors * 512);
  json += ", \"identify\": \"" + std::filesystem::absolute(testing::RealDriveFile(ata + ".identify.bin")).generic_string() + "\"";
  json += ", \"smart\": \"" + std::filesystem::absolute(testing::RealDriveFile(ata + ".smart.bin")).generic_string() + "\"";
  return json + (extra.empty() ? "" : ", " + extra) + "}";
}

std::string ImageOf(const std::filesystem::path& image) { return "\"image\": \"" + image.generic_string() + "\""; }

Step InChooser(const std::function<void(HWND chooser, HWND list)>& act) {
  return [act] {
    HWND chooser = FindModal(FmChooseClass);
    if (chooser == nullptr) return false;
    act(chooser, GetDlgItem(chooser, ControlId::DriveList));
    return true;
  };
}

void SelectRow(HWND list, int row) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

TEST(Win32Anchors, SidesKeepTheirDistanceToTheAnchoredEdges) {
  struct Row {
    unsigned anchors;
    RECT expected;
  };
  const RECT design{10, 20, 110, 70};
  for (const Row& row : {Row{Anchor::TopLeft, {10, 20, 110, 70}}, Row{Anchor::All, {10, 20, 160, 100}},
                         Row{Anchor::BottomRight, {60, 50, 160, 100}}, Row{Anchor::BottomWide, {10, 50, 160, 100}},
                         Row{Anchor::BottomLeft, {10, 50, 110, 100}}}) {
    const RECT p = Anchored(design, SIZE{200, 100}, SIZE{250, 130}, row.anchors);
    const RECT& e = row.expected;
    EXPECT_EQ(std::tuple(p.left, p.top, p.right, p.bottom), std::tuple(e.left, e.top, e.right, e.bottom)) << row.anchors;
  }
}

// Each way out of the chooser: what the user does in it, the drive chosen and how the program ends.
TEST(Win32Chooser, ShowsTheRowsPreselectsTheLastAndEndsOrChoosesAsTheUserDoes) {
  struct Case {
    const char* name;
    std::function<void(HWND chooser, HWND list)> act;
    long long selected;
    std::vector<int> endCodes;
  };
  const std::vector<Case> cases{
      {"Enter confirms the preselected last row", [](HWND, HWND list) { PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0); }, 3, {}},
      {"second row through Continue",
       [](HWND chooser, HWND list) {
         SelectRow(list, 1);
         Click(GetDlgItem(chooser, ControlId::btContinue));
       },
       2, {}},
      {"choice cleared, then made by keyboard: Continue follows",
       [](HWND chooser, HWND list) {
         ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
         const bool cleared = !IsWindowEnabled(GetDlgItem(chooser, ControlId::btContinue));
         SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
         if (cleared) Click(GetDlgItem(chooser, ControlId::btContinue));
       },
       2, {}},
      {"Esc in the list ends the program", [](HWND, HWND list) { PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0); }, -1, {0}},
      {"the close box ends the program", [](HWND chooser, HWND) { PostMessageW(chooser, WM_CLOSE, 0, 0); }, -1, {0}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Win32Harness harness(Drive(0, Sectors, "ST320410A--3.39") + ", " + Drive(1, 65535, "ST320410A--3.39") + ", " +
                         Drive(2, Sectors, "ST320410A--3.39"));
    std::vector<std::u16string> seen;
    harness.Start({InChooser([&](HWND chooser, HWND list) {
      seen = {Text(chooser), ItemText(list, 1, 4), ItemText(list, 2, 1),
              std::u16string(IsWindowEnabled(GetDlgItem(chooser, ControlId::btContinue)) ? u"enabled" : u"disabled")};
      EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);
      test.act(chooser, list);
    })});
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Выбор устройства - Trelvane 4.40    ", u"65535",
                                                 ChooserRows(harness.Session().State(), u',')[2][1], u"enabled"}));
    EXPECT_EQ(harness.Session().State().SelectedDrive, test.selected);
    EXPECT_EQ(harness.endCodes, test.endCodes);
  }
}

TEST(Win32Chooser, DriveBelow65535SectorsIsRefusedAndTheChooserStaysOpen) {
  Win32Harness harness(Drive(0, 65534, "ST320410A--3.39") + ", " + Drive(1, Sectors, "ST320410A--3.39"));
  std::u16string caption;
  bool stillOpen = false;
  harness.Start({InChooser([](HWND chooser, HWND list) {
                   SelectRow(list, 0);
                   PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(ControlId::btContinue, BN_CLICKED),
                                reinterpret_cast<LPARAM>(GetDlgItem(chooser, ControlId::btContinue)));
                 }),
                 CloseMessageBox(&caption), InChooser([&](HWND chooser, HWND) {
                   stillOpen = true;
                   PostMessageW(chooser, WM_CLOSE, 0, 0);
                 })});
  EXPECT_EQ(caption, DriveTooSmallCaption);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(harness.Session().State().SelectedDrive, -1);
}

// The fatal ends of the start: a drive another program holds (after the chooser), a platform outside
// the NT family. Each shows its box and ends with 3, no log written.
TEST(Win32MainWindow, FatalEndsOfTheStartShowTheirBoxAndEnd) {
  const std::tuple<std::string, const char*, std::u16string> cases[] = {
      {"\"exclusive_open_error\": 32", "", u"Ошибка"}, {"", "{\"platform_id\": 1}", u"Error"}};
  for (const auto& [drive, host, expected] : cases) {
    Win32Harness harness(Drive(0, Sectors, "ST320410A--3.39", drive), host);
    std::u16string caption;
    std::deque<Step> steps{CloseMessageBox(&caption)};
    if (!drive.empty()) steps.push_front(ClickIn(FmChooseClass, ControlId::btContinue));
    harness.Start(std::move(steps));
    EXPECT_EQ(caption, expected);
    EXPECT_EQ(harness.endCodes, std::vector<int>{3});
    EXPECT_TRUE(Text(harness.Control(harness.Main(), ControlId::Log_Details)).empty());
  }
}

// A solid-state drive that takes the sanitize crypto erase: the list offers it after the automatic choice
// and the zero fill; run by the automatic choice, Stop and the list are disabled with the reason under Stop.
TEST(Win32MainWindow, FirmwareEraseListedAndRunWithStopDisabled) {
  const std::string ssd = "\"ata_erase\": {\"sanitize\": {\"crypto\": true}, \"rotation_rate\": 1}, \"erase\": {\"status_reads\": 2}";
  Win32Harness harness(Drive(0, Sectors, "INTEL_SSDSA2CW120G3--4PC10302", ssd));
  harness.Start({ClickIn(FmChooseClass, ControlId::btContinue)});
  auto get = [&](int id) { return harness.Control(harness.Main(), id); };
  harness.Session().FmMain().SelectPage(1);
  EXPECT_EQ(SendMessageW(get(ControlId::cbMethod), CB_GETCOUNT, 0, 0), 3);
  std::u16string reason = u"?";
  harness.Run({PressInTaskDialog(IDYES), [&] {
                 if (IsWindowEnabled(get(ControlId::btRunBenchmarks))) return false;
                 const bool locked = !IsWindowEnabled(get(ControlId::btStop)) && !IsWindowEnabled(get(ControlId::cbMethod));
                 reason = locked ? Text(get(ControlId::lbStopReason)) : u"";
                 return true;
               }},
              [&] { Click(get(ControlId::btRunBenchmarks)); });
  EXPECT_EQ(reason, FirmwareEraseStopText());
  const std::u16string log = Text(get(ControlId::Log_BenchMark));
  EXPECT_LT(log.find(u"Выбран способ стирания: "), log.find(u"Форматирование... "));
  EXPECT_NE(log.find(u"Проверка чтением"), std::u16string::npos);
  EXPECT_TRUE(Text(get(ControlId::lbStopReason)).empty() && IsWindowEnabled(get(ControlId::cbMethod)));
}

// Write faults at known offsets: the quick wipe's failed ranges are listed between the format log and
// the summary without overlapping either; at the minimum size the log's place holds little more than
// the list's captions, at a common size both rows show with the log above them.
TEST(Win32MainWindow, FailedRangesListedBetweenTheLogAndTheSummary) {
  for (const auto& [height, sectorSize] : {std::pair(1, 4096LL), std::pair(600, 512LL)}) {
    Win32Harness harness(Drive(0, Sectors * sectorSize / 512, "ST320410A--3.39", "\"sector_size\": " + std::to_string(sectorSize) +
        ", \"faults\": [{\"from\": 65536, \"to\": 65537}, {\"from\": 2097152, \"to\": 2101248, \"write_error\": 27}]"));
    harness.Start({ClickIn(FmChooseClass, ControlId::btContinue)});
    auto get = [&](int id) { return harness.Control(harness.Main(), id); };
    harness.Session().FmMain().SelectPage(1);
    SetWindowPos(harness.Main(), nullptr, 0, 0, height == 1 ? 1 : 1024, height, SWP_NOMOVE | SWP_NOZORDER);
    Click(get(ControlId::cbQuickWipe));
    harness.Run({PressInTaskDialog(IDYES)}, [&] { Click(get(ControlId::btRunBenchmarks)); });
    HWND list = get(ControlId::lvErrors);
    ASSERT_TRUE(IsWindowVisible(list) && ListView_GetItemCount(list) == 2);
    EXPECT_EQ(ItemText(list, 0, 1) + u'|' + ItemText(list, 0, 3) + u'|' + ItemText(list, 1, 0) + u'|' + ItemText(list, 1, 2),
              (sectorSize == 512 ? u"512" : u"4096") + std::u16string(u"|Запись: Ошибка устройства ввода-вывода|2,097,152|27"));
    RECT log{}, at{}, verdict{}, row{LVIR_BOUNDS, 0, 0, 0}, inside{};
    GetWindowRect(get(ControlId::Log_BenchMark), &log), GetWindowRect(list, &at), GetWindowRect(get(ControlId::lbVerdict), &verdict);
    EXPECT_TRUE(log.bottom <= at.top && at.top < at.bottom && at.bottom <= verdict.top) << at.top << ' ' << at.bottom;
    SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    GetClientRect(list, &inside);
    EXPECT_TRUE(height == 1 || (row.bottom <= inside.bottom && log.bottom - log.top >= 60)) << row.bottom << ' ' << log.bottom - log.top;
  }
}

class WholeSession : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int drive = 0; drive < 2; ++drive) testing::FillFileRange(Image(drive), 0, Sectors * 512, '\xA5');
    harness_ = std::make_unique<Win32Harness>(
        Drive(0, Sectors, "ST320410A--3.39", ImageOf(Image(0))) + ", " +
        Drive(1, Sectors, "INTEL_SSDSA2CW120G3--4PC10302", ImageOf(Image(1)) + ", \"write_delay_us_per_mib\": 40000"));
    harness_->Start({InChooser([](HWND chooser, HWND list) {
      SelectRow(list, 1);
      Click(GetDlgItem(chooser, ControlId::btContinue));
    })});
  }
  std::filesystem::path Image(int drive) const { return dir_.path() / ("drive" + std::to_string(drive) + ".img"); }
  HWND Get(int id) { return harness_->Control(harness_->Main(), id); }
  void Page(int page) { harness_->Session().FmMain().SelectPage(page); }
  // Enter where the focused control is no button: the page's default button answers it.
  void PressEnterOn(HWND focused) {
    SetFocus(focused);
    PostMessageW(focused, WM_KEYDOWN, VK_RETURN, 0);
    testing::Pump();
  }
  Step StopWhenRunning() {
    return [this] {
      if (!IsWindowEnabled(Get(ControlId::btStop))) return false;
      SetFocus(Get(ControlId::btStop));
      return PostMessageW(Get(ControlId::btStop), WM_KEYDOWN, VK_RETURN, 1) != FALSE;
    };
  }

  testing::TempDir dir_;
  std::unique_ptr<Win32Harness> harness_;
};

TEST_F(WholeSession, SecondDriveDetailsSmartTwiceQuickWipeAndAStoppedFullRun) {
  EXPECT_EQ(harness_->Session().State().SelectedDrive, 2);
  EXPECT_NE(Text(Get(ControlId::Log_Details)).find(u"INTEL SSDSA2CW120G3"), std::u16string::npos);
  EXPECT_EQ(Text(Get(ControlId::lbDiskName)), harness_->Session().State().DriveTitle);
  // Enter on the details page starts nothing; on the SMART page it reads the report, twice.
  PressEnterOn(Get(ControlId::pages));
  EXPECT_TRUE(Text(Get(ControlId::Log_Smart)).empty());
  Page(2);
  PressEnterOn(Get(ControlId::pages));
  Click(Get(ControlId::btGetSmart));
  const std::u16string smart = Text(Get(ControlId::Log_Smart));
  EXPECT_NE(smart.find(u"Данные SMART для"), smart.rfind(u"Данные SMART для"));

  // Enter on the format page asks, and Enter again answers with the focused Cancel: nothing is written.
  Page(1);
  harness_->Run({PressInTaskDialog(0)}, [&] { testing::PressKey(Get(ControlId::pages), VK_RETURN); });
  EXPECT_TRUE(testing::FileRangeIs(Image(1), 0, 4096, '\xA5'));
  Click(Get(ControlId::cbQuickWipe));
  std::u16string dialogTitle;
  harness_->Run({PressInTaskDialog(IDYES, &dialogTitle)}, [&] { Click(Get(ControlId::btRunBenchmarks)); });
  EXPECT_EQ(dialogTitle, u"Предупреждение");
  EXPECT_TRUE(testing::FileRangeIs(Image(1), 0, 10240000, '\0'));
  EXPECT_TRUE(testing::FileRangeIs(Image(1), 10240000, 10240000 + 4096, '\xA5'));
  EXPECT_TRUE(testing::FileRangeIs(Image(0), 0, 10240000, '\xA5'));
  EXPECT_EQ(Text(Get(ControlId::lbCurrentPercent)), u"Запись: 100% завершено");
  EXPECT_NE(Text(Get(ControlId::lbAmount)).find(u"2 МБ, прошло "), std::u16string::npos) << ToUtf8(Text(Get(ControlId::lbAmount)));
  // Verification is off unless asked for; the run's report is saved and its path logged.
  EXPECT_EQ(SendMessageW(Get(ControlId::cbVerify), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_NE(Text(Get(ControlId::Log_BenchMark)).find(u"Отчет о стирании: "), std::u16string::npos);
  // The summary: the verdict, the scope of a quick wipe, and the link that opens the text report.
  EXPECT_TRUE(IsWindowVisible(Get(ControlId::lbVerdict)) && Text(Get(ControlId::lbVerdict)) == u"Стерто, без проверки чтением");
  EXPECT_TRUE(Text(Get(ControlId::lbSummary)).ends_with(u" байт (только начало и конец диска)"));
  EXPECT_TRUE(Text(Get(ControlId::lbFigures)).ends_with(u"   Сбойных участков: 0")) << ToUtf8(Text(Get(ControlId::lbFigures)));
  ASSERT_TRUE(IsWindowVisible(Get(ControlId::lbReportLink)));
  SendMessageW(Get(ControlId::lbReportLink), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(Get(ControlId::lbReportLink), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  const std::vector<RecordedRequest> opened = harness_->System().Requests();
  const auto open = std::find_if(opened.begin(), opened.end(), [](const RecordedRequest& r) { return r.call == "ShellExecute"; });
  ASSERT_NE(open, opened.end());
  EXPECT_TRUE(open->path.ends_with(u".txt") && std::filesystem::exists(std::filesystem::path(open->path)));

  Click(Get(ControlId::cbQuickWipe));
  harness_->Run({PressInTaskDialog(IDYES), StopWhenRunning()}, [&] { Click(Get(ControlId::btRunBenchmarks)); });
  // Stopped before its first block: past the quick wipe's head the drive keeps its bytes.
  EXPECT_TRUE(testing::FileRangeIs(Image(1), 10240000, 10240000 + 4096, '\xA5'));
  EXPECT_TRUE(IsWindowEnabled(Get(ControlId::btRunBenchmarks)));
  EXPECT_FALSE(IsWindowEnabled(Get(ControlId::btStop)));
  EXPECT_EQ(Text(Get(ControlId::lbVerdict)), u"Остановлено пользователем: диск стерт не полностью");
  EXPECT_TRUE(harness_->endCodes.empty());
}

TEST_F(WholeSession, ClosingDuringAZeroFillStopsTheRunAndClosesAfterItsCleanUp) {
  Page(1);
  harness_->Run({PressInTaskDialog(IDYES),
                 [this] {
                   if (!IsWindowEnabled(Get(ControlId::btStop))) return false;
                   PostMessageW(harness_->Main(), WM_CLOSE, 0, 0);
                   return true;
                 }},
                [&] { Click(Get(ControlId::btRunBenchmarks)); });
  EXPECT_TRUE(harness_->endCodes.empty());
  testing::Pump();
  EXPECT_EQ(harness_->endCodes, std::vector<int>{0});
  EXPECT_FALSE(harness_->Session().State().DriveHandle.IsOpen());
  EXPECT_FALSE(testing::FileRangeIs(Image(1), Sectors * 512 - 4096, Sectors * 512, '\0'));
}

// Ctrl+Tab and Ctrl+Shift+Tab switch pages round the end from any control, a memo included (a focus on
// the page that goes moves to the tabs); Tab leaves a memo; Esc in a memo closes nothing.
TEST_F(WholeSession, CtrlTabSwitchesPagesFromAnywhereAndTabAndEscDoNotStayInAMemo) {
  using namespace ControlId;
  for (const auto& [page, focus, key, ctrl, shift, pageAfter, focusAfter] : std::initializer_list<std::tuple<int, int, UINT, bool, bool, int, int>>{
           {0, Log_Details, VK_TAB, true, false, 1, pages}, {1, Log_BenchMark, VK_TAB, true, true, 0, pages}, {1, cbQuickWipe, VK_TAB, true, false, 2, pages},
           {0, pages, VK_TAB, true, true, 2, pages}, {2, Log_Smart, VK_TAB, false, false, 2, btGetSmart}, {0, Log_Details, VK_ESCAPE, false, false, 0, Log_Details}}) {
    Page(page);
    SetFocus(Get(focus));
    testing::PressKey(Get(focus), key, ctrl, shift);
    EXPECT_EQ(std::pair(TabCtrl_GetCurSel(Get(pages)), GetDlgCtrlID(GetFocus())), std::pair(pageAfter, focusAfter)) << focus;
  }
}

// With the debug switch the debug window paints lines while the start still runs; Esc leaves it open.
TEST(Win32DebugWindow, PaintsLinesWhileTheStartRunsAndStaysOpenOnEscape) {
  Win32Harness harness(Drive(0, Sectors, "ST320410A--3.39"), "", u"--debug");
  static LRESULT firstPainted = 0;  // the memo's line count when it was first painted
  HWND memo = GetDlgItem(harness.Session().FmDebug().Handle(), ControlId::Memo1);
  SetWindowSubclass(memo, [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_PAINT && firstPainted == 0) firstPainted = SendMessageW(window, EM_GETLINECOUNT, 0, 0);
    return DefSubclassProc(window, message, wParam, lParam);
  }, 1, 0);
  bool paintedEarlyAndOpen = false;  // painted before the start's last line; open after Esc
  harness.Start({[&] {
                   if (FindModal(FmDebugClass) == nullptr) return false;
                   testing::PressKey(memo, VK_ESCAPE);
                   paintedEarlyAndOpen = IsWindowVisible(GetParent(memo)) && firstPainted < SendMessageW(memo, EM_GETLINECOUNT, 0, 0);
                   return PostMessageW(GetParent(memo), WM_CLOSE, 0, 0) != FALSE;
                 }, InChooser([](HWND, HWND list) { PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0); })});
  EXPECT_TRUE(paintedEarlyAndOpen && firstPainted > 0) << firstPainted;
}

// Above the details: the verdict, the figures and, for this drive with a password set, the warning
// that also opens the format log. The title panel ends in "…" where the window ends and its tooltip
// holds the whole title; the controls of the format page all take the page's colour.
TEST_F(WholeSession, HealthLinesStatusTitleCutWithItsTooltipAndPageColours) {
  const std::u16string health = Text(Get(ControlId::lbHealth));
  EXPECT_EQ(health.rfind(u"Состояние накопителя: в норме (", 0), 0u) << ToUtf8(health);
  EXPECT_NE(health.find(u"\r\nВнимание: на накопителе установлен пароль."), std::u16string::npos);
  EXPECT_NE(Text(Get(ControlId::Log_BenchMark)).find(u"Внимание: на накопителе установлен пароль."), std::u16string::npos);

  wchar_t shown[512] = {};
  SendMessageW(Get(ControlId::StatusBar), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(shown));
  const std::u16string title = harness_->Session().State().DriveTitle;
  EXPECT_EQ(std::wstring(shown).back(), L'…');
  EXPECT_EQ(title.rfind(FromWide(std::wstring(shown).substr(0, wcslen(shown) - 1)), 0), 0u);
  HWND tips = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) {
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) > 0 && std::wstring(name) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  wchar_t tip[512] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool), tool.hwnd = Get(ControlId::StatusBar), tool.uId = 1, tool.lpszText = tip;
  SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(FromWide(tip), title);

  HDC dc = GetDC(harness_->Main());
  const auto brush = [&](int id) { return SendMessageW(harness_->Main(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Get(id))); };
  for (const int id : {ControlId::cbVerify, ControlId::lbMethod, ControlId::lbStopReason})
    EXPECT_EQ(brush(id), brush(ControlId::cbQuickWipe)) << id;
  ReleaseDC(harness_->Main(), dc);
}

// The largest sector count a drive can report (48-bit LBA) shows whole at the minimum window size.
TEST_F(WholeSession, TheLargestSectorCaptionShowsWholeAtTheMinimumWindowSize) {
  Page(1);
  SetWindowPos(harness_->Main(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);  // held at the minimum
  testing::Pump();
  HWND caption = Get(ControlId::lbCurrentPosition);
  const std::wstring text = L"Текущий сектор: 281,474,976,710,655";
  HDC dc = GetDC(caption);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(caption, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(caption, dc);
  RECT box{};
  GetClientRect(caption, &box);
  EXPECT_LE(extent.cx, box.right);
}

// Before platform version 6 the question is the program's own dialog with Russian captions; Enter cancels.
TEST(Win32Dialogs, FallbackShowsOnlyTheContentWithRussianCaptionsAndEscapeCancels) {
  Win32TaskDialogPresenter presenter;
  struct Case {
    int buttons;
    UINT key;
    int result;
  };
  for (const Case& test : {Case{MessageDialogButton::Yes | MessageDialogButton::Cancel, VK_ESCAPE, DialogResult::Cancel},
                           Case{MessageDialogButton::Yes | MessageDialogButton::No, VK_ESCAPE, DialogResult::No},
                           Case{MessageDialogButton::Yes | MessageDialogButton::Cancel, VK_RETURN, DialogResult::Cancel},
                           Case{MessageDialogButton::Yes | MessageDialogButton::Cancel, 0, DialogResult::Yes}}) {
    std::vector<std::u16string> seen;
    std::deque<Step> steps{[&] {
      HWND dialog = FindModal(MessageDialogClass);
      if (dialog == nullptr) return false;
      seen = {Text(dialog), Text(GetDlgItem(dialog, DialogResult::Yes))};
      if (test.key != 0) {
        PostMessageW(test.key == VK_RETURN ? GetFocus() : GetDlgItem(dialog, DialogResult::Yes), WM_KEYDOWN, test.key, 0);
      } else {
        Click(GetDlgItem(dialog, DialogResult::Yes));
      }
      return true;
    }};
    Win32Harness harness(Drive(0, Sectors, "ST320410A--3.39"));
    int result = -1;
    harness.Run(std::move(steps), [&] { result = presenter.ShowMessageDialog(MessageDialogType::Warning, u"Текст", test.buttons); });
    EXPECT_EQ(result, test.result);
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Предупреждение", u"&Да"}));
  }
}

}  // namespace
}  // namespace trelvane
