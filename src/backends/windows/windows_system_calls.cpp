// System information, module, shell, clock and locale calls of the Windows backend.

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "os/bytes.h"
#include "backends/windows/wide_text.h"
#include "backends/windows/windows_api.h"
#include "backends/windows/windows_system_impl.h"

#include <shellapi.h>
#include <winioctl.h>

namespace trelvane {
namespace {

static_assert(sizeof(OSVERSIONINFOW) == 276, "the version query's structure");

using IsWow64ProcessEntry = BOOL(WINAPI*)(HANDLE, PBOOL);

// An entry point looked up at run time, as the function type it is known to have. The detour through
// a function type without parameters is the one cast the compiler accepts between function types.
template <typename Function>
Function EntryAs(FARPROC entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

// One of the user's locale settings; empty when the system has none.
std::u16string LocaleText(LCTYPE item) {
  const int size = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, item, nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  const int written = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, item, text.data(), size);
  if (written <= 0) return {};
  return FromWide(text.data(), static_cast<std::size_t>(written - 1));  // without the final zero
}

}  // namespace

std::u16string WindowsSystem::FormatMessageW(std::uint32_t code) {
  wchar_t* text = nullptr;
  // In the user's default language. With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives
  // the address of a buffer the system allocates, so no message is ever cut.
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message = length > 0 ? FromWide(text, length) : std::u16string();
  if (text != nullptr) ::LocalFree(text);
  return message;
}

OsVersion WindowsSystem::GetVersionExW() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  OsVersion version;
  if (::GetVersionExW(&info) == FALSE) return version;
  version.platformId = info.dwPlatformId;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.servicePack = FromWide(info.szCSDVersion, ::wcsnlen(info.szCSDVersion, std::size(info.szCSDVersion)));
  return version;
}

namespace {

std::u16string Digits(std::uint32_t value) {
  const std::wstring text = std::to_wstring(value);
  return FromWide(text);
}

// Minutes east of UTC: the platform counts its bias westwards, the daylight part only while it applies.
int UtcOffsetMinutes() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD which = ::GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (which == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  else if (which == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  return static_cast<int>(-bias);
}

}  // namespace

HostFacts WindowsSystem::GetHostFacts() {
  HostFacts facts;
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computerLength = std::size(computer);
  if (::GetComputerNameW(computer, &computerLength) != FALSE) facts.computerName = FromWide(computer, computerLength);
  // The program runs elevated as the same account that started it, so the account is the user's own.
  // GetUserNameW names the account of the thread's access token, never an environment variable.
  wchar_t user[257] = {};
  DWORD userLength = std::size(user);
  if (::GetUserNameW(user, &userLength) != FALSE && userLength > 0) facts.userName = FromWide(user, userLength - 1);
  const OsVersion version = GetVersionExW();
  facts.operatingSystem = u"Windows " + Digits(version.major) + u"." + Digits(version.minor) + u"." +
                          Digits(version.build);
  facts.utcOffsetMinutes = UtcOffsetMinutes();
  return facts;
}

// \\.\PhysicalDriveN is the platform's own name of the drive.
std::u16string WindowsSystem::DriveNodeName(std::int64_t) { return {}; }

// The volume holding the folder, opened for queries only, and the disks its extents lie on.
// VOLUME_DISK_EXTENTS: NumberOfDiskExtents (u32) at 0; from 8, DISK_EXTENT records of 24 bytes,
// DiskNumber (u32) at 0 of each. A folder whose volume has no disk extents (a network share) is
// elsewhere; one whose volume cannot be asked is unknown.
FolderPlace WindowsSystem::FolderPlaceOfDrive(const std::u16string& folder, std::int64_t driveNumber) {
  wchar_t mountPoint[MAX_PATH + 1] = {};
  if (::GetVolumePathNameW(ToWide(folder).c_str(), mountPoint, std::size(mountPoint)) == FALSE)
    return FolderPlace::Unknown;
  wchar_t volume[MAX_PATH + 1] = {};
  if (::GetVolumeNameForVolumeMountPointW(mountPoint, volume, std::size(volume)) == FALSE)
    return FolderPlace::Elsewhere;
  std::wstring device = volume;
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  const HANDLE handle = ::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FolderPlace::Unknown;
  constexpr std::size_t ExtentBytes = 24;
  constexpr std::size_t MaximumExtents = 64;
  std::vector<std::uint8_t> reply(8 + ExtentBytes * MaximumExtents);
  DWORD returned = 0;
  const BOOL asked = ::DeviceIoControl(handle, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, reply.data(),
                                       static_cast<DWORD>(reply.size()), &returned, nullptr);
  ::CloseHandle(handle);
  if (asked == FALSE || returned < 8) return FolderPlace::Unknown;
  const std::size_t count = std::min<std::size_t>(ReadU32LE(reply, 0), (returned - 8) / ExtentBytes);
  for (std::size_t i = 0; i < count; ++i)
    if (static_cast<std::int64_t>(ReadU32LE(reply, 8 + ExtentBytes * i)) == driveNumber) return FolderPlace::OnDrive;
  return FolderPlace::Elsewhere;
}

Wow64Answer WindowsSystem::IsWow64Process() {
  // Looked up at run time: systems before the 64-bit era do not have the entry.
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32");
  const FARPROC entry = kernel != nullptr ? ::GetProcAddress(kernel, "IsWow64Process") : nullptr;
  if (entry == nullptr) return Wow64Answer::EntryMissing;
  BOOL wow64 = FALSE;
  if (EntryAs<IsWow64ProcessEntry>(entry)(::GetCurrentProcess(), &wow64) == FALSE) return Wow64Answer::CallFailed;
  return wow64 != FALSE ? Wow64Answer::Yes : Wow64Answer::No;
}

int WindowsSystem::ProcessBits() { return static_cast<int>(sizeof(void*) * 8); }

std::u16string WindowsSystem::GetModuleFileNameW() {
  // The path may be longer than MAX_PATH; a result that fills the buffer may have been cut.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<wchar_t> path(size);
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return {};
    if (length < size) return FromWide(path.data(), length);
  }
  return {};
}

void WindowsSystem::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

ModuleHandle WindowsSystem::LoadLibraryW(const std::u16string& name) {
  const std::wstring wideName = ToWide(name);
  const HMODULE module = ::LoadLibraryW(wideName.c_str());
  KeepLastError();
  return reinterpret_cast<ModuleHandle>(module);
}

EntryAddress WindowsSystem::GetProcAddress(ModuleHandle module, const std::string& name) {
  const FARPROC entry = ::GetProcAddress(reinterpret_cast<HMODULE>(module), name.c_str());
  KeepLastError();
  return reinterpret_cast<EntryAddress>(entry);
}

void WindowsSystem::FreeLibrary(ModuleHandle module) {
  if (module != 0) ::FreeLibrary(reinterpret_cast<HMODULE>(module));
}

void WindowsSystem::ShellExecuteW(const std::u16string& verb, const std::u16string& file, int showCommand) {
  const std::wstring wideVerb = ToWide(verb);
  const std::wstring wideFile = ToWide(file);
  // No owner window, no parameters and no working folder: the shell opens the document or address.
  ::ShellExecuteW(nullptr, wideVerb.empty() ? nullptr : wideVerb.c_str(), wideFile.c_str(), nullptr, nullptr,
                  showCommand);
}

SystemTime WindowsSystem::GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return SystemTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

RegionalSettings WindowsSystem::GetRegionalSettings() {
  // A setting the system cannot give keeps the program's default (a Russian desktop's).
  RegionalSettings settings;
  if (std::u16string date = LocaleText(LOCALE_SSHORTDATE); !date.empty()) settings.shortDateFormat = date;
  if (std::u16string time = LocaleText(LOCALE_STIMEFORMAT); !time.empty()) settings.longTimeFormat = time;
  if (const std::u16string decimal = LocaleText(LOCALE_SDECIMAL); !decimal.empty()) {
    settings.decimalSeparator = decimal.front();
  }
  return settings;
}

std::uint32_t WindowsSystem::GetACP() { return ::GetACP(); }

}  // namespace trelvane
