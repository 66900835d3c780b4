#pragma once
// What the program asks of the computer it runs on, apart from its drives: the clock, the user's
// regional formats and code page, the facts for the erasure report, the start-up gates (system
// version, process width, run-time libraries), messages for error codes, and the shell.

#include <cstdint>
#include <string>

namespace trelvane {

// A loaded module (library) and an entry point inside it; 0 means "none".
using ModuleHandle = std::uintptr_t;
using EntryAddress = std::uintptr_t;

// Local date and time with milliseconds, as the platform's clock reports it.
struct SystemTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

// The platform's version query: platform id 2 is the NT family.
struct OsVersion {
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::u16string servicePack;
};

// The user's regional formats, in the platform's pattern language ("dd.MM.yyyy", "H:mm:ss").
struct RegionalSettings {
  std::u16string shortDateFormat = u"dd.MM.yyyy";
  std::u16string longTimeFormat = u"H:mm:ss";
  char16_t decimalSeparator = u',';
};

// Who and where the program runs, for the erasure report: the computer's name, the operating
// system's name and version as its own tools show it, and the user who started the program (the real
// user behind an elevation tool where the platform can tell).
struct HostFacts {
  std::u16string computerName;
  std::u16string operatingSystem;
  std::u16string userName;
  // The local clock's distance from UTC now, in minutes east (Moscow: 180).
  int utcOffsetMinutes = 0;
};

// What asking the platform "is this a 32-bit process on a 64-bit system?" can answer.
enum class Wow64Answer { EntryMissing, CallFailed, No, Yes };

class Host {
 public:
  virtual ~Host() = default;

  // The system's message text for an error code in the user's language, as the system stores it
  // (usually ending in a full stop and a line break); empty when the system has no message.
  virtual std::u16string FormatMessageW(std::uint32_t code) = 0;

  virtual OsVersion GetVersionExW() = 0;
  virtual HostFacts GetHostFacts() = 0;
  virtual Wow64Answer IsWow64Process() = 0;
  // 32 or 64: the width of the running process itself.
  virtual int ProcessBits() = 0;
  // The full path of the program file, in the platform's path syntax.
  virtual std::u16string GetModuleFileNameW() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // Run-time binding of libraries. LoadLibraryW returns 0 (or a value below 32) on failure;
  // GetProcAddress returns 0 when the entry is missing.
  virtual ModuleHandle LoadLibraryW(const std::u16string& name) = 0;
  virtual EntryAddress GetProcAddress(ModuleHandle module, const std::string& name) = 0;
  virtual void FreeLibrary(ModuleHandle module) = 0;

  // Opens a document or address with the shell's verb (never through a command interpreter).
  // The result is not examined by the program.
  virtual void ShellExecuteW(const std::u16string& verb, const std::u16string& file,
                             int showCommand) = 0;

  virtual SystemTime GetLocalTime() = 0;
  virtual RegionalSettings GetRegionalSettings() = 0;
  // The ANSI code page that single-byte device texts are read in (1251 on a Russian desktop).
  virtual std::uint32_t GetACP() = 0;
};

}  // namespace trelvane
