// The main window's flow over a fake window: which command Enter starts on each page, and a close
// that arrives while a zero fill runs.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <tuple>

#include "app/main_window_presenter.h"
#include "program_bench.h"
#include "text/u16.h"

namespace trelvane::testing {
namespace {

constexpr std::int64_t Length = 4 * 65536;

class FakeWidgets final : public MainWindowWidgets {
 public:
  void SetText(MainText, const std::u16string&) override {}
  std::u16string Text(MainText) const override { return {}; }
  void SetTitle(const std::u16string&) override {}
  void SetStatusPanel(int, const std::u16string&) override {}
  void SetEnabled(MainControl control, bool enabled) override { disabled[control] = !enabled; }
  bool CanPress(MainControl control) const override { return !disabled.count(control) || !disabled.at(control); }
  bool IsTicked(MainControl box) const override { return ticked.count(box) != 0; }
  void Focus(MainControl) override {}
  void SetMethodEntries(const std::vector<std::u16string>&) override {}
  int SelectedMethod() const override { return 0; }
  void SetProgressPosition(int) override {}
  void SetProgressPaused(bool) override {}
  void ShowSummary(const RunSummary& shown, bool link) override { std::tie(summary, reportLink) = std::tie(shown, link); }
  void ShowErrorList(const std::vector<ErrorListRow>& rows) override {
    errors.clear();
    for (const ErrorListRow& r : rows) errors += ToUtf8(r.offset + u' ' + r.length + u' ' + r.code + u' ' + r.text) + '|';
  }
  void ProcessMessages() override {
    if (whileRunning) whileRunning();
  }
  LineSink& Log(MainLog which) override { return logs[static_cast<std::size_t>(which)]; }
  void ScrollToTop(MainLog) override {}
  MainPage CurrentPage() const override { return page; }
  void ShowDebugWindow() override {}
  void RunDebugWindowModally() override {}
  bool RunDriveChooser() override { return false; }
  void Close() override { ++closes; }
  std::filesystem::path ReportsFolder() const override { return folder; }

  std::map<MainControl, bool> disabled;
  std::set<MainControl> ticked;
  RunSummary summary;
  std::string errors;  // the rows shown, each ended by '|'
  bool reportLink = false;
  MainPage page = MainPage::Details;
  std::array<RecordingSink, 3> logs;
  std::function<void()> whileRunning;
  std::filesystem::path folder;
  int closes = 0;
};

class RecordingEnding final : public ProgramEnding {
 public:
  void EndProgram(int exitCode) override { codes.push_back(exitCode); }
  std::vector<int> codes;
};

struct Window {
  // `drive` adds fields to the drive's entry, `system` to the machine's.
  explicit Window(std::int64_t length = Length, std::int64_t sectorSize = 512, const std::string& drive = "",
                  const std::string& system = "")
      : bench(MachineJson("[" + DriveJson(0, length, R"(, "image": "d0.img")" + drive) + "]", "[]", 0, system),
              SelectedDisk{length / sectorSize, sectorSize}, {{"d0.img", length, 0}}),
        presenter(*bench.system, bench.state, bench.log, ending, bench.boxes, bench.dialogs, widgets, u"", u"t") {
    widgets.folder = bench.dir.path() / "reports";
  }
  ProgramBench bench;
  FakeWidgets widgets;
  RecordingEnding ending;
  MainWindowPresenter presenter;
};

TEST(MainWindowPresenter, EnterStartsThePageCommandOnlyWhenItsButtonCanBePressed) {
  struct Row {
    MainPage page;
    MainControl disabled;  // the one control held disabled; the Stop button leaves both commands on
    bool taken;
    bool formatAsked;
    bool smartRead;
  };
  const Row rows[] = {
      {MainPage::Details, MainControl::StopButton, false, false, false},
      {MainPage::Format, MainControl::StopButton, true, true, false},
      {MainPage::Format, MainControl::FormatButton, false, false, false},
      {MainPage::Smart, MainControl::StopButton, true, false, true},
      {MainPage::Smart, MainControl::SmartButton, false, false, false},
      {MainPage::Smart, MainControl::FormatButton, true, false, true},
  };
  for (const Row& row : rows) {
    Window window;
    window.bench.dialogs.pressed = PressedButton::No;
    window.widgets.page = row.page;
    window.widgets.SetEnabled(row.disabled, false);
    const int at = static_cast<int>(&row - rows);
    EXPECT_EQ(window.presenter.EnterPressed(), row.taken) << at;
    EXPECT_EQ(!window.bench.dialogs.taskDialogs.empty(), row.formatAsked) << at;
    EXPECT_EQ(!window.widgets.logs[static_cast<std::size_t>(MainLog::Smart)].lines.empty(), row.smartRead) << at;
    EXPECT_EQ(window.bench.system->WrittenBytes(0), 0) << at;
  }
}

// A close mid-run only stops the run (it ends short of the drive's end); the window closes once the
// command has returned, and that close releases the drive and ends the program.
TEST(MainWindowPresenter, CloseDuringARunStopsItAndClosesTheWindowOnceAfterwards) {
  for (const int closesDuringRun : {0, 1, 2}) {
    Window window;
    int refused = 0;
    window.widgets.whileRunning = [&] {
      for (int close = 0; close < closesDuringRun; ++close) refused += window.presenter.CloseRequested() ? 0 : 1;
      window.widgets.whileRunning = nullptr;
    };
    window.presenter.FormatClicked();
    EXPECT_EQ(refused, closesDuringRun);
    EXPECT_EQ(window.bench.system->WrittenBytes(0) < Length, closesDuringRun > 0) << closesDuringRun;
    EXPECT_EQ(window.widgets.closes, closesDuringRun > 0 ? 1 : 0);
    EXPECT_TRUE(window.ending.codes.empty());
    EXPECT_TRUE(window.bench.state.DriveHandle.IsOpen());
    EXPECT_TRUE(window.presenter.CloseRequested());
    EXPECT_EQ(window.ending.codes, std::vector<int>{0});
    EXPECT_FALSE(window.bench.state.DriveHandle.IsOpen());
  }
}

// The summary takes the report's verdict and scope; a new run hides it until it ends; the link opens
// the text report beside the JSON one.
TEST(MainWindowPresenter, RunEndsWithASummaryAndALinkToItsReport) {
  constexpr std::int64_t Big = 12 * 1'048'576;
  const std::tuple<std::int64_t, std::int64_t, bool, bool, bool, const char16_t*, SummaryTone, const char16_t*> rows[] = {
      {Length, 512, false, true, false, u"Стерто и проверено", SummaryTone::Good, u"262,144 из 262,144 байт"},
      {Big, 4096, true, false, false, u"Стерто, без проверки чтением", SummaryTone::Caution,
       u"11,288,576 из 12,582,912 байт (только начало и конец диска)"},
      {Length, 4096, false, false, true, u"Остановлено пользователем: диск стерт не полностью", SummaryTone::Caution,
       u"0 из 262,144 байт"}};
  for (const auto& [length, sectorSize, quick, verify, stop, verdict, tone, written] : rows) {
    Window window(length, sectorSize);
    if (quick) window.widgets.ticked.insert(MainControl::QuickWipeBox);
    if (verify) window.widgets.ticked.insert(MainControl::VerifyBox);
    window.widgets.summary.verdict = u"от прошлого прогона";
    window.widgets.whileRunning = [&, stop = stop] {
      EXPECT_TRUE(window.widgets.summary.verdict.empty());
      if (stop) window.presenter.StopClicked();
    };
    window.presenter.FormatClicked();
    const RunSummary& summary = window.widgets.summary;
    EXPECT_EQ(std::tie(summary.verdict, summary.tone), std::tie(verdict, tone)) << length;
    EXPECT_EQ(summary.details, std::u16string(u"Записано нулями: ") + written);
    EXPECT_TRUE(summary.figures.ends_with(u"   Сбойных участков: 0")) << ToUtf8(summary.figures);
    ASSERT_TRUE(window.widgets.reportLink);
    window.presenter.ReportLinkClicked();
    const std::vector<RecordedRequest> opened = window.bench.Requests("ShellExecute");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].path.ends_with(u".txt") && std::filesystem::exists(opened[0].path));
  }
}

// Write faults at known offsets come back as rows (the system's text where the program has none),
// then the read-back's: the sectors they left unwritten (the image held a pattern) and the range it
// could not read. A run without a failure lists nothing; a new run clears the list before it writes.
TEST(MainWindowPresenter, RunListsItsFailedRangesUnderTheLog) {
  const std::string faults = R"(, "faults": [{"from": 65536, "to": 65537, "write_error": 1117},
      {"from": 196608, "to": 262144, "write_error": 27}, {"from": 139264, "to": 147456, "read_error": 23}])";
  for (const std::string sector : {"512", "4096"}) {
    const std::string expected = "65,536 " + sector + " 1117 Запись: Ошибка устройства ввода-вывода|196,608 65,536 27 Запись: "
        "Сектор не найден|65,536 " + sector + "  Проверка: не нули|139,264 8192 23 Проверка: не читается: Ошибка в данных "
        "(CRC)|196,608 65,536  Проверка: не нули|";
    for (const bool faulty : {true, false}) {
      Window window(5 * 65536, std::stoll(sector), faulty ? faults : "",
                    R"(, "error_texts": {"27": "Сектор не найден.", "23": "Ошибка в данных (CRC)."})");
      window.widgets.ticked.insert(MainControl::VerifyBox);
      window.widgets.errors = "от прошлого прогона";
      window.widgets.whileRunning = [&] { EXPECT_TRUE(window.widgets.errors.empty()); };
      window.presenter.FormatClicked();
      EXPECT_EQ(window.widgets.errors, faulty ? expected : "") << sector;
    }
  }
}

}  // namespace
}  // namespace trelvane::testing
