// The program's start: the debug switch, window titles and bitness, the setup library's binding,
// asking for administrator rights, the help text against the manual pages, choosing a drive, and the
// question box: which dialog is shown, which texts reach it and what its answer means.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "app/chooser_model.h"
#include "app/elevation.h"
#include "app/help_text.h"
#include "app/startup.h"
#include "backends/emulated/emulated_system.h"
#include "common/product.h"
#include "program_bench.h"
#include "recording_views.h"
#include "shell/setup_api.h"
#include "shell/task_dialog.h"
#include "test_support.h"
#include "text/u16.h"

namespace trelvane {
namespace {

using testing::ProgramBench;

// Runs the start-up on a machine of the bench.
struct Startup : ProgramBench {
  using ProgramBench::ProgramBench;
  void Run(const std::u16string& argument) { RunStartup(*system, state, log, boxes, windows, argument); }
};

constexpr const char* Clock = R"("clock": "2026-12-07T10:15:30.250", "clock_step_ms": 0)";

// The debug lines of the start are pinned by the command line's golden texts; the window titles here.
TEST(RunStartup, DebugSwitchIgnoresLetterCaseAndTheWindowsGetTheirTitles) {
  Startup startup(std::string(R"({"system": {)") + Clock + "}}");
  startup.Run(u"--DeBuG");
  EXPECT_TRUE(startup.state.DebugMode);
  ASSERT_FALSE(startup.debugLog.lines.empty());
  EXPECT_EQ(startup.debugLog.lines[0], u"07.12.2026 10:15:30   Режим отладки активирован");
  const std::vector<std::u16string> expected{
      u"show debug window",
      u"chooser caption: Выбор устройства - Trelvane 4.40    ",
      u"program name: TRELVANE 4.40    ",
      u"main caption: Trelvane 4.40    ",
      u"status panel 0: Trelvane 4.40    "};
  EXPECT_EQ(std::vector<std::u16string>(startup.windows.events.begin(), startup.windows.events.begin() + 5), expected);
  EXPECT_EQ(startup.windows.events.back(), u"chooser status: Найдено дисков: 0");
}

TEST(RunStartup, BitnessIs64ForA64BitProcessWhateverWow64Says) {
  const std::pair<const char*, const char16_t*> cases[] = {
      {R"("process_bits": 64, "wow64": "false")", u"  (64 бита)"},   {R"("process_bits": 64, "wow64": "true")", u"  (64 бита)"},
      {R"("process_bits": 64, "wow64": "missing")", u"  (64 бита)"}, {R"("process_bits": 32, "wow64": "true")", u"  (64 бита)"},
      {R"("process_bits": 32, "wow64": "missing")", u"  (32 бита)"}};
  for (const auto& [system, bits] : cases) {
    Startup startup(std::string(R"({"system": {)") + system + "}}");
    startup.Run(u"--debug");
    EXPECT_TRUE(Startup::Texts(startup.debugLog)[2].ends_with(bits)) << system;
  }
}

TEST(LoadSetupApi, BindsEveryEntryAndASecondLoadOnlyCounts) {
  auto system = EmulatedMachineFromJson("{}", ".");
  SetupApiBinding binding;
  ASSERT_TRUE(LoadSetupApi(*system, binding));
  EXPECT_TRUE(IsSetupApiLoaded(binding));
  EXPECT_TRUE(std::all_of(binding.SetupApiEntries.begin(), binding.SetupApiEntries.end(),
                          [](EntryAddress entry) { return entry != 0; }));
  binding.SetupApiEntries[7] = 0;  // a second load must not look anything up again
  EXPECT_TRUE(LoadSetupApi(*system, binding));
  EXPECT_EQ(binding.ReferenceCount, 2);
  EXPECT_EQ(binding.SetupApiEntries[7], 0u);
  UnloadSetupApi(*system, binding);
  EXPECT_TRUE(IsSetupApiLoaded(binding));
  UnloadSetupApi(*system, binding);
  EXPECT_FALSE(IsSetupApiLoaded(binding));
}

TEST(LoadSetupApi, OneMissingEntryClearsEverySlotAndFreesTheLibrary) {
  auto system = EmulatedMachineFromJson(
      R"({"system": {"modules": {"SetupApi.dll": {"missing": ["SetupDiGetWizardPage"]}}}})", ".");
  SetupApiBinding binding;
  EXPECT_FALSE(LoadSetupApi(*system, binding));
  EXPECT_FALSE(IsSetupApiLoaded(binding));
  EXPECT_EQ(binding.ReferenceCount, 0);
  EXPECT_TRUE(std::all_of(binding.SetupApiEntries.begin(), binding.SetupApiEntries.end(),
                          [](EntryAddress entry) { return entry == 0; }));
}

TEST(LoadSetupApi, AnAbsentLibraryKeepsTheCountRaised) {
  auto system = EmulatedMachineFromJson(R"({"system": {"modules": {"setupapi.dll": {"absent": true}}}})", ".");
  SetupApiBinding binding;
  EXPECT_FALSE(LoadSetupApi(*system, binding));
  EXPECT_FALSE(IsSetupApiLoaded(binding));
  EXPECT_EQ(binding.ReferenceCount, 1);
}

// The windowed program asks for administrator rights only when it would reach real disks without
// them, and the relaunched program gets back what it needs to reach the user's display.
struct StepCase {
  ElevationFacts facts;
  ElevationStep expected;
};

TEST(ChooseElevationStep, RelaunchesOnlyAnOrdinaryUserOnRealDisks) {
  const StepCase cases[] = {
      {{false, false, true}, ElevationStep::Relaunch},  // ordinary user, real disks
      {{true, false, true}, ElevationStep::RunHere},    // already root
      {{false, true, true}, ElevationStep::RunHere},    // emulated machine
      {{false, false, false}, ElevationStep::RunHere},  // the platform asks before the start
  };
  for (const StepCase& c : cases)
    EXPECT_EQ(ChooseElevationStep(c.facts), c.expected)
        << c.facts.administrator << c.facts.emulated << c.facts.relaunchable;
}

struct CommandLineCase {
  std::map<std::string, std::string> environment;
  std::vector<std::string> arguments;
  std::vector<std::string> expected;
};

TEST(ElevatedCommandLine, PassesTheDisplayAndDriveListThroughEnvThenTheArguments) {
  const CommandLineCase cases[] = {
      {{}, {}, {"pkexec", "env", "/usr/bin/trelvane"}},
      {{{"DISPLAY", ":1"}, {"XAUTHORITY", "/run/user/1000/xauth"}, {"PATH", "/bin"}, {"HOME", "/home/u"}},
       {"--debug"},
       {"pkexec", "env", "DISPLAY=:1", "XAUTHORITY=/run/user/1000/xauth", "/usr/bin/trelvane", "--debug"}},
      // X11 without XAUTHORITY: the cookie is in the user's home.
      {{{"DISPLAY", ":0"}, {"HOME", "/home/u"}},
       {},
       {"pkexec", "env", "DISPLAY=:0", "XAUTHORITY=/home/u/.Xauthority", "/usr/bin/trelvane"}},
      {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_RUNTIME_DIR", "/run/user/1000"}, {"HOME", "/home/u"},
        {"QT_QPA_PLATFORM", "wayland"}, {"TRELVANE_DRIVES", "/dev/sdb"}},
       {"--debug", "extra word"},
       {"pkexec", "env", "WAYLAND_DISPLAY=wayland-0", "XDG_RUNTIME_DIR=/run/user/1000", "QT_QPA_PLATFORM=wayland",
        "TRELVANE_DRIVES=/dev/sdb", "/usr/bin/trelvane", "--debug", "extra word"}},
  };
  for (const CommandLineCase& c : cases) {
    const auto lookup = [&c](const std::string& name) -> std::optional<std::string> {
      const auto found = c.environment.find(name);
      return found != c.environment.end() ? std::optional<std::string>(found->second) : std::nullopt;
    };
    EXPECT_EQ(ElevatedCommandLine("/usr/bin/trelvane", c.arguments, lookup), c.expected);
  }
}

// `--help` and the manual pages describe the same options, variables and exit codes, in each language.

// The manual page as a reader sees its words: troff's escaped hyphens and spaces made plain.
std::string ManualPageWords(const std::string& path) {
  std::string page = testing::ReadTextFile(std::filesystem::path(TRELVANE_SOURCE_DIR) / "packaging/man" / path);
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
  return std::regex_replace(page, std::regex(R"(\\~)"), " ");
}

// Options, variables and exit-code lines ("  2  …") that the help text names; not the tails of
// hyphenated words ("trelvane-cli", "built-in").
std::vector<std::string> TermsOf(const std::string& help) {
  static const std::regex term(R"((?:^|[^\w-])(--?[a-z]+|TRELVANE_[A-Z]+|LC_[A-Z]+)|^  ([0-9]+)  )",
                               std::regex::multiline);
  std::vector<std::string> terms;
  for (auto match = std::sregex_iterator(help.begin(), help.end(), term); match != std::sregex_iterator(); ++match)
    terms.push_back((*match)[1].matched ? (*match)[1].str() : ".B " + (*match)[2].str() + "\n");
  return terms;
}

TEST(HelpText, EveryOptionVariableAndExitCodeIsInTheManualPageOfItsLanguage) {
  struct Case {
    ProgramKind program;
    HelpLanguage language;
    const char* page;
    const char* name;  // the NAME line: whatis and apropos read it
  };
  const Case cases[] = {
      {ProgramKind::Windowed, HelpLanguage::English, "trelvane.1", "trelvane - erase whole disk drives"},
      {ProgramKind::CommandLine, HelpLanguage::English, "trelvane-cli.8", "trelvane-cli - erase whole disk drives"},
      {ProgramKind::Windowed, HelpLanguage::Russian, "ru/trelvane.1", "trelvane - стирание дисков"},
      {ProgramKind::CommandLine, HelpLanguage::Russian, "ru/trelvane-cli.8", "trelvane-cli - стирание дисков"},
  };
  for (const Case& c : cases) {
    const std::string manual = ManualPageWords(c.page);
    EXPECT_NE(manual.find(std::string(".SH ") + (c.language == HelpLanguage::English ? "NAME\n" : "ИМЯ\n") + c.name),
              std::string::npos)
        << c.page;
    const std::vector<std::string> terms = TermsOf(ToUtf8(HelpText(c.program, c.language)));
    EXPECT_GE(terms.size(), 9u) << c.page;
    for (const std::string& term : terms) EXPECT_NE(manual.find(term), std::string::npos) << c.page << ": " << term;
  }
  // The two languages name the same terms, so a line added to one help is not missing from the other.
  for (const ProgramKind program : {ProgramKind::Windowed, ProgramKind::CommandLine}) {
    EXPECT_EQ(TermsOf(ToUtf8(HelpText(program, HelpLanguage::Russian))),
              TermsOf(ToUtf8(HelpText(program, HelpLanguage::English))));
  }
}

TEST(HelpText, FollowsTheFirstLocaleVariableSetAsGettextDoes) {
  struct Case {
    std::map<std::string, std::string> environment;
    HelpLanguage expected;
  };
  const Case cases[] = {
      {{}, HelpLanguage::English},
      {{{"LANG", "ru"}}, HelpLanguage::Russian},
      {{{"LANG", "ru_UA@euro"}}, HelpLanguage::Russian},
      {{{"LANG", "rue_UA"}}, HelpLanguage::English},  // another language whose code begins with "ru"
      {{{"LANG", "ru_RU.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, HelpLanguage::English},
      {{{"LC_ALL", ""}, {"LANG", "ru_RU.UTF-8"}}, HelpLanguage::Russian},  // empty counts as not set
  };
  for (const Case& c : cases) {
    const auto variable = [&c](const char* name) {
      const auto found = c.environment.find(name);
      return found != c.environment.end() ? found->second : std::string();
    };
    EXPECT_EQ(HelpLanguageOfLocale(variable), c.expected) << c.environment.size();
  }
}

TEST(HelpText, HelpAndVersionAnswerAndOtherWordsDoNot) {
  EXPECT_EQ(InformationRequested(ProgramKind::Windowed, u"--version", HelpLanguage::English),
            std::u16string(ProductLine) + u"\n");
  EXPECT_EQ(InformationRequested(ProgramKind::CommandLine, u"-h", HelpLanguage::English),
            HelpText(ProgramKind::CommandLine, HelpLanguage::English));
  EXPECT_EQ(InformationRequested(ProgramKind::Windowed, u"--debug", HelpLanguage::Russian), std::nullopt);
}

// The smallest drive that may be chosen has 65535 sectors, whatever their size; one sector fewer is
// refused with the information box and leaves the earlier choice as it was.
TEST(ChooseDrive, SixtyFiveThousandFiveHundredThirtyFiveSectorsIsTheSmallestDriveAccepted) {
  struct Case {
    std::int64_t sectors;
    std::int64_t sectorSize;
    bool accepted;
  };
  for (const Case& c : {Case{65535, 512, true}, Case{65534, 512, false}, Case{65535, 4096, true},
                        Case{65534, 4096, false}, Case{0, 512, false}}) {
    ProgramState state;
    state.DriveCount = 2;
    state.DriveTable[1].IdentifyData.LBA = 1'000'000;
    state.DriveTable[2].IdentifyData.LBA = c.sectors;
    state.DriveTable[2].IdentifyData.SectorSize = c.sectorSize;
    testing::RecordingBoxes boxes;
    ASSERT_TRUE(ChooseDrive(state, 1, boxes));
    EXPECT_EQ(ChooseDrive(state, 2, boxes), c.accepted) << c.sectors << " x " << c.sectorSize;
    EXPECT_TRUE(state.DriveChosen);
    EXPECT_EQ(state.SelectedDrive, c.accepted ? 2 : 1);
    if (c.accepted) {
      EXPECT_TRUE(boxes.boxes.empty());
    } else {
      ASSERT_EQ(boxes.boxes.size(), 1u);
      EXPECT_EQ(boxes.boxes[0].text, u"К этому устройству нет доступа, потому что в нем меньше 65535 секторов.  ");
      EXPECT_EQ(boxes.boxes[0].caption, u"Нет доступа к этому устройству");
      EXPECT_EQ(boxes.boxes[0].icon, MessageIcon::Information);
    }
  }
}

std::unique_ptr<EmulatedSystem> Machine(const std::string& system) {
  return EmulatedMachineFromJson(R"({"system": {)" + system + "}}", std::filesystem::temp_directory_path());
}

int Ask(System& system, testing::FakeTaskDialogPresenter& presenter, const std::u16string& content = u"Текст") {
  return ShowTaskDialog(system, presenter, u"Заголовок", u"Инструкция", content, TaskDialogIcon::Warning,
                        TaskDialogButton::Yes | TaskDialogButton::Cancel);
}

TEST(IsVistaOrLater, FromMajorVersionSix) {
  EXPECT_FALSE(IsVistaOrLater(*Machine(R"("version": [5, 1, 2600])")));
  EXPECT_TRUE(IsVistaOrLater(*Machine(R"("version": [6, 0, 6000])")));
  EXPECT_TRUE(IsVistaOrLater(*Machine(R"("version": [10, 0, 19045])")));
}

TEST(ShowTaskDialog, PassesTheTextsButtonsAndIconAndFreesTheLibrary) {
  auto system = Machine("");
  testing::FakeTaskDialogPresenter presenter;
  EXPECT_EQ(Ask(*system, presenter), DialogResult::Yes);
  ASSERT_EQ(presenter.taskDialogs.size(), 1u);
  const testing::TaskDialogCall& call = presenter.taskDialogs[0];
  EXPECT_NE(call.entry, 0u);
  EXPECT_EQ(call.title, u"Заголовок");
  EXPECT_EQ(call.instruction, u"Инструкция");
  EXPECT_EQ(call.content, u"Текст");
  EXPECT_EQ(call.buttons, 10);
  EXPECT_EQ(call.icon, 84);
  const ModuleUse use = system->ModuleUsage(u"comctl32.dll");
  EXPECT_EQ(use.loads, 1);
  EXPECT_EQ(use.frees, 1);
  EXPECT_EQ(use.references, 0);
  EXPECT_TRUE(presenter.messageDialogs.empty());
}

TEST(ShowTaskDialog, MapsThePressedButton) {
  auto system = Machine("");
  testing::FakeTaskDialogPresenter presenter;
  const std::vector<std::pair<int, int>> map{{1, 1}, {2, 2}, {3, 1}, {4, 4}, {5, 1},
                                             {6, 6}, {7, 7}, {8, 3}, {9, 1}};
  for (const auto& [pressed, result] : map) {
    presenter.pressed = pressed;
    EXPECT_EQ(Ask(*system, presenter), result) << "pressed " << pressed;
  }
  // A dialog that could not be shown is no answer, not OK.
  presenter.pressed = 0;
  EXPECT_EQ(Ask(*system, presenter), DialogResult::NothingShown);
  EXPECT_EQ(system->ModuleUsage(u"comctl32.dll").references, 0);
}

TEST(ShowTaskDialog, MissingLibraryOrEntryShowsNothing) {
  testing::FakeTaskDialogPresenter presenter;
  auto absent = Machine(R"("modules": {"comctl32.dll": {"absent": true}})");
  EXPECT_EQ(Ask(*absent, presenter), 0);
  auto missing = Machine(R"("modules": {"comctl32.dll": {"missing": ["TaskDialog"]}})");
  EXPECT_EQ(Ask(*missing, presenter), 0);
  EXPECT_EQ(missing->ModuleUsage(u"comctl32.dll").frees, 1);
  EXPECT_EQ(missing->ModuleUsage(u"comctl32.dll").references, 0);
  EXPECT_TRUE(presenter.taskDialogs.empty());
  EXPECT_TRUE(presenter.messageDialogs.empty());
}

TEST(ShowTaskDialog, TextOf1025CharactersOrMoreArrivesEmpty) {
  auto system = Machine("");
  testing::FakeTaskDialogPresenter presenter;
  const std::u16string fits(1024, u'я');
  const std::u16string tooLong(1025, u'я');
  ShowTaskDialog(*system, presenter, tooLong, fits, tooLong, TaskDialogIcon::Error, TaskDialogButton::Ok);
  ASSERT_EQ(presenter.taskDialogs.size(), 1u);
  EXPECT_EQ(presenter.taskDialogs[0].title, u"");
  EXPECT_EQ(presenter.taskDialogs[0].instruction, fits);
  EXPECT_EQ(presenter.taskDialogs[0].content, u"");
}

TEST(ShowTaskDialog, BeforeVersionSixShowsTheMessageDialogWithTheContentOnly) {
  auto system = Machine(R"("version": [5, 1, 2600], "modules": {"comctl32.dll": {"absent": true}})");
  testing::FakeTaskDialogPresenter presenter;
  presenter.modalResult = DialogResult::Cancel;
  EXPECT_EQ(Ask(*system, presenter, u"Вопрос?"), DialogResult::Cancel);
  ASSERT_EQ(presenter.messageDialogs.size(), 1u);
  EXPECT_EQ(presenter.messageDialogs[0].type, MessageDialogType::Warning);
  EXPECT_EQ(presenter.messageDialogs[0].content, u"Вопрос?");
  EXPECT_EQ(presenter.messageDialogs[0].buttons, MessageDialogButton::Yes | MessageDialogButton::Cancel);
  EXPECT_TRUE(presenter.taskDialogs.empty());
  EXPECT_EQ(system->ModuleUsage(u"comctl32.dll").loads, 0);
}

TEST(ShowTaskDialog, FallbackTypesAndButtons) {
  EXPECT_EQ(MessageDialogTypeOfIcon(81), MessageDialogType::Information);
  EXPECT_EQ(MessageDialogTypeOfIcon(84), MessageDialogType::Warning);
  EXPECT_EQ(MessageDialogTypeOfIcon(98), MessageDialogType::Error);
  EXPECT_EQ(MessageDialogTypeOfIcon(99), MessageDialogType::Confirmation);
  EXPECT_EQ(MessageDialogTypeOfIcon(0), MessageDialogType::None);
  EXPECT_EQ(MessageDialogTypeOfIcon(82), MessageDialogType::None);

  EXPECT_EQ(MessageDialogButtonsOf(1), MessageDialogButton::Ok);
  EXPECT_EQ(MessageDialogButtonsOf(2 | 4), MessageDialogButton::Yes | MessageDialogButton::No);
  EXPECT_EQ(MessageDialogButtonsOf(8 | 16 | 32),
            MessageDialogButton::Cancel | MessageDialogButton::Retry | MessageDialogButton::Abort);
  EXPECT_EQ(MessageDialogButtonsOf(64), 0);

  EXPECT_EQ(MessageDialogCaption(MessageDialogType::Confirmation), u"Подтвердить");
  EXPECT_EQ(MessageDialogCaption(MessageDialogType::None), u"");
}

}  // namespace
}  // namespace trelvane
