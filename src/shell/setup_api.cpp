#include "shell/setup_api.h"

#include <string_view>

namespace trelvane {

namespace {

// The functions in binding order; "+" marks a function exported in a narrow (A) and a wide (W) form.
constexpr std::string_view SetupApiFunctions[] = {
    // INF file access
    "SetupGetInfInformation+", "SetupQueryInfFileInformation+", "SetupQueryInfVersionInformation+",
    "SetupGetInfFileList+", "SetupOpenInfFile+", "SetupOpenMasterInf", "SetupOpenAppendInfFile+",
    "SetupCloseInfFile", "SetupFindFirstLine+", "SetupFindNextLine", "SetupFindNextMatchLine+",
    "SetupGetLineByIndex+", "SetupGetLineCount+", "SetupGetLineText+", "SetupGetFieldCount",
    "SetupGetStringField+", "SetupGetIntField", "SetupGetMultiSzField+", "SetupGetBinaryField",
    // Source media and single files
    "SetupGetFileCompressionInfo+", "SetupDecompressOrCopyFile+", "SetupGetSourceFileLocation+",
    "SetupGetSourceFileSize+", "SetupGetTargetPath+", "SetupSetSourceList+",
    "SetupCancelTemporarySourceList", "SetupAddToSourceList+", "SetupRemoveFromSourceList+",
    "SetupQuerySourceList+", "SetupFreeSourceList+", "SetupPromptForDisk+", "SetupCopyError+",
    "SetupRenameError+", "SetupDeleteError+", "SetupSetDirectoryId+", "SetupSetDirectoryIdEx+",
    "SetupGetSourceInfo+", "SetupInstallFile+", "SetupInstallFileEx+",
    // File queues
    "SetupOpenFileQueue", "SetupCloseFileQueue", "SetupSetPlatformPathOverride+", "SetupQueueCopy+",
    "SetupQueueDefaultCopy+", "SetupQueueCopySection+", "SetupQueueDelete+", "SetupQueueDeleteSection+",
    "SetupQueueRename+", "SetupQueueRenameSection+", "SetupCommitFileQueue+", "SetupScanFileQueue+",
    "SetupCopyOEMInf+",
    // Disk space lists
    "SetupCreateDiskSpaceList+", "SetupDuplicateDiskSpaceList+", "SetupDestroyDiskSpaceList",
    "SetupQueryDrivesInDiskSpaceList+", "SetupQuerySpaceRequiredOnDrive+", "SetupAdjustDiskSpaceList+",
    "SetupAddToDiskSpaceList+", "SetupAddSectionToDiskSpaceList+", "SetupAddInstallSectionToDiskSpaceList+",
    "SetupRemoveFromDiskSpaceList+", "SetupRemoveSectionFromDiskSpaceList+",
    "SetupRemoveInstallSectionFromDiskSpaceList+",
    // Cabinets, reboot prompt, default queue callback
    "SetupIterateCabinet+", "SetupPromptReboot", "SetupInitDefaultQueueCallback",
    "SetupInitDefaultQueueCallbackEx", "SetupTermDefaultQueueCallback", "SetupDefaultQueueCallback+",
    // INF section installation
    "SetupInstallFromInfSection+", "SetupInstallFilesFromInfSection+", "SetupInstallServicesFromInfSection+",
    "SetupInstallServicesFromInfSectionEx+",
    // File log and setup log
    "SetupInitializeFileLog+", "SetupTerminateFileLog", "SetupLogFile+", "SetupRemoveFileLogEntry+",
    "SetupQueryFileLog+", "SetupOpenLog", "SetupLogError+", "SetupCloseLog",
    // Device information sets, drivers, classes, interfaces, hardware profiles, wizard pages
    "SetupDiCreateDeviceInfoList", "SetupDiCreateDeviceInfoListEx+", "SetupDiGetDeviceInfoListClass",
    "SetupDiGetDeviceInfoListDetail+", "SetupDiCreateDeviceInfo+", "SetupDiOpenDeviceInfo+",
    "SetupDiGetDeviceInstanceId+", "SetupDiDeleteDeviceInfo", "SetupDiEnumDeviceInfo",
    "SetupDiDestroyDeviceInfoList", "SetupDiEnumDeviceInterfaces", "SetupDiCreateDeviceInterface+",
    "SetupDiOpenDeviceInterface+", "SetupDiGetDeviceInterfaceAlias", "SetupDiDeleteDeviceInterfaceData",
    "SetupDiRemoveDeviceInterface", "SetupDiGetDeviceInterfaceDetail+", "SetupDiInstallDeviceInterfaces",
    "SetupDiRegisterDeviceInfo", "SetupDiBuildDriverInfoList", "SetupDiCancelDriverInfoSearch",
    "SetupDiEnumDriverInfo+", "SetupDiGetSelectedDriver+", "SetupDiSetSelectedDriver+",
    "SetupDiGetDriverInfoDetail+", "SetupDiDestroyDriverInfoList", "SetupDiGetClassDevs+",
    "SetupDiGetClassDevsEx+", "SetupDiGetINFClass+", "SetupDiBuildClassInfoList",
    "SetupDiBuildClassInfoListEx+", "SetupDiGetClassDescription+", "SetupDiGetClassDescriptionEx+",
    "SetupDiCallClassInstaller", "SetupDiSelectDevice", "SetupDiSelectBestCompatDrv", "SetupDiInstallDevice",
    "SetupDiInstallDriverFiles", "SetupDiRegisterCoDeviceInstallers", "SetupDiRemoveDevice",
    "SetupDiUnremoveDevice", "SetupDiMoveDuplicateDevice", "SetupDiChangeState", "SetupDiInstallClass+",
    "SetupDiInstallClassEx+", "SetupDiOpenClassRegKey", "SetupDiOpenClassRegKeyEx+",
    "SetupDiCreateDeviceInterfaceRegKey+", "SetupDiOpenDeviceInterfaceRegKey",
    "SetupDiDeleteDeviceInterfaceRegKey", "SetupDiCreateDevRegKey+", "SetupDiOpenDevRegKey",
    "SetupDiDeleteDevRegKey", "SetupDiGetHwProfileList", "SetupDiGetHwProfileListEx+",
    "SetupDiGetDeviceRegistryProperty+", "SetupDiSetDeviceRegistryProperty+",
    "SetupDiGetDeviceInstallParams+", "SetupDiGetClassInstallParams+", "SetupDiSetDeviceInstallParams+",
    "SetupDiSetClassInstallParams+", "SetupDiGetDriverInstallParams+", "SetupDiSetDriverInstallParams+",
    "SetupDiLoadClassIcon", "SetupDiDrawMiniIcon", "SetupDiGetClassBitmapIndex", "SetupDiGetClassImageList",
    "SetupDiGetClassImageListEx+", "SetupDiGetClassImageIndex", "SetupDiDestroyClassImageList",
    "SetupDiGetClassDevPropertySheets+", "SetupDiAskForOEMDisk", "SetupDiSelectOEMDrv",
    "SetupDiClassNameFromGuid+", "SetupDiClassNameFromGuidEx+", "SetupDiClassGuidsFromName+",
    "SetupDiClassGuidsFromNameEx+", "SetupDiGetHwProfileFriendlyName+", "SetupDiGetHwProfileFriendlyNameEx+",
    "SetupDiGetWizardPage", "SetupDiGetSelectedDevice", "SetupDiSetSelectedDevice",
    "SetupDiGetActualSectionToInstall+",
};

// A function with both forms takes three slots: narrow, wide, and the generic name bound to the wide
// entry again. Device-interface functions are looked up twice in a row, so each slot is doubled.
void AppendSlots(std::vector<std::string>& slots, std::string_view function) {
  const bool bothForms = function.back() == '+';
  const std::string name(bothForms ? function.substr(0, function.size() - 1) : function);
  const int repeat = name.find("DeviceInterface") != std::string::npos ? 2 : 1;
  const std::vector<std::string> forms =
      bothForms ? std::vector<std::string>{name + "A", name + "W", name + "W"} : std::vector<std::string>{name};
  for (const std::string& form : forms)
    for (int i = 0; i < repeat; ++i) slots.push_back(form);
}

void ClearBinding(SetupApiBinding& binding) {
  binding.LibraryHandle = 0;
  binding.SetupApiEntries.fill(0);
}

}  // namespace

const std::vector<std::string>& SetupApiSlotNames() {
  static const std::vector<std::string> slots = [] {
    std::vector<std::string> list;
    for (std::string_view function : SetupApiFunctions) AppendSlots(list, function);
    return list;
  }();
  return slots;
}

bool LoadSetupApi(System& system, SetupApiBinding& binding) {
  ++binding.ReferenceCount;
  if (binding.ReferenceCount > 1) return true;
  if (binding.LibraryHandle == 0) binding.LibraryHandle = system.LoadLibraryW(u"SetupApi.dll");
  if (binding.LibraryHandle == 0) return false;

  bool success = true;
  const auto& names = SetupApiSlotNames();
  for (std::size_t slot = 0; slot < names.size() && slot < binding.SetupApiEntries.size(); ++slot) {
    binding.SetupApiEntries[slot] = system.GetProcAddress(binding.LibraryHandle, names[slot]);
    success = success && binding.SetupApiEntries[slot] != 0;
  }
  if (!success) UnloadSetupApi(system, binding);
  return success;
}

void UnloadSetupApi(System& system, SetupApiBinding& binding) {
  --binding.ReferenceCount;
  if (binding.ReferenceCount > 0) return;
  if (binding.LibraryHandle != 0) system.FreeLibrary(binding.LibraryHandle);
  ClearBinding(binding);
}

bool IsSetupApiLoaded(const SetupApiBinding& binding) { return binding.LibraryHandle != 0; }

}  // namespace trelvane
