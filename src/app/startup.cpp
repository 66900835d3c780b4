#include "app/startup.h"

#include "common/product.h"
#include "device/enumeration.h"
#include "shell/setup_api.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane {

namespace {

void ReadDebugSwitch(ProgramState& state, DiagnosticLog& log, StartupWindows& windows,
                     const std::u16string& firstArgument) {
  if (AsciiLower(firstArgument) != u"--debug") return;
  state.DebugMode = true;
  log.AddDebugLogLine(u"Режим отладки активирован");
  windows.ShowDebugWindowModeless();
}

// The program's folder with its trailing backslash.
std::u16string ProgramFolder(System& system) {
  std::u16string path = system.GetModuleFileNameW();
  while (!path.empty() && path.back() != u'\\') path.pop_back();
  return path;
}

// A 64-bit process is 64-bit whether or not the platform calls it WOW64; only a 32-bit process on
// a 32-bit system is reported as 32-bit. The query still runs: its failure must be seen.
std::u16string BitnessText(System& system) {
  const bool wow64 = IsWow64(system);
  return wow64 || system.ProcessBits() == 64 ? u"  (64 бита)" : u"  (32 бита)";
}

void PassPlatformGate(const OsVersion& version, MessageBoxes& boxes) {
  if (version.platformId == PlatformWin32Nt) return;
  boxes.ShowMessageBox(u"Только следующие версии Windows поддерживаются: 2003, 2008, XP, Vista, 7", u"Error",
                       MessageIcon::Error);
  throw ProgramTermination{};
}

void SetTitles(DiagnosticLog& log, StartupWindows& windows) {
  const std::u16string product = ProductLine;
  windows.SetChooserCaption(u"Выбор устройства - " + product + u"    ");
  windows.SetProgramNameLabel(AsciiUpper(product) + u"    ");
  log.AddDebugLogLine(u"Версия программы: " + product + u"    ");
  windows.SetMainCaption(product + u"    ");
  windows.SetMainStatusPanel(0, product + u"    ");
  windows.SetChooserMakerNotice(MakerNotice);
  windows.SetMakerLink(std::u16string(MakerLinkNotice) + MakerWebAddress);
}

void PassSetupLibraryGate(System& system, ProgramState& state, MessageBoxes& boxes) {
  if (!IsSetupApiLoaded(state.SetupApi)) LoadSetupApi(system, state.SetupApi);
  if (IsSetupApiLoaded(state.SetupApi)) return;
  boxes.ShowMessageBox(u"Error #01704", u"Error", MessageIcon::Error);
  throw ProgramTermination{};
}

}  // namespace

void RunStartup(System& system, ProgramState& state, DiagnosticLog& log, MessageBoxes& boxes,
                StartupWindows& windows, const std::u16string& firstArgument) {
  ReadDebugSwitch(state, log, windows, firstArgument);
  state.DriveCount = 0;
  log.AddDebugLogLine(u"Путь программы: " + ProgramFolder(system));
  const std::u16string bitness = BitnessText(system);
  const OsVersion version = system.GetVersionExW();
  log.AddDebugLogLine(u"Платформа: " + DecimalUnsigned(version.major) + u"." + DecimalUnsigned(version.minor) +
                      u"." + DecimalUnsigned(version.build) + u"   " + version.servicePack + bitness);
  PassPlatformGate(version, boxes);
  system.Sleep(50);
  SetTitles(log, windows);
  PassSetupLibraryGate(system, state, boxes);
  EnumerateDrives(system, log, boxes, windows, state);
  log.AddFormatLogLine(u"* * * * * * * * * * * ПРЕДУПРЕЖДЕНИЕ!!! * * * * * * * * * * * ");
  log.AddFormatLogLine(u"ВО ВРЕМЯ ПРОЦЕССА ФОРМАТИРОВАНИЯ НИЗКОГО УРОВНЯ ");
  log.AddFormatLogLine(u"ВСЕ ДАННЫЕ БУДУТ ПОЛНОСТЬЮ И БЕЗВОЗВРАТНО СТЕРТЫ! ");
}

bool IsWow64(System& system) {
  switch (system.IsWow64Process()) {
    case Wow64Answer::EntryMissing: return false;
    case Wow64Answer::CallFailed: throw StartupError{u"Плохой дескриптор процесса"};
    case Wow64Answer::No: return false;
    case Wow64Answer::Yes: return true;
  }
  return false;
}

}  // namespace trelvane
