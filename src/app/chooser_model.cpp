#include "app/chooser_model.h"

#include "device/probe.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

constexpr std::array<const char16_t*, ChooserColumnCount> Captions{
    u"ШИНА", u"МОДЕЛЬ", u"ПРОШИВКА", u"СЕРИЙНЫЙ НОМЕР", u"LBA", u"ЕМКОСТЬ"};

// The product taken in signed 64 bits; an absurd sector count wraps rather than being undefined.
std::int64_t CapacityBytes(const TIdentifyDeviceData& data) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(data.LBA) *
                                   static_cast<std::uint64_t>(data.SectorSize));
}

}  // namespace

const std::array<const char16_t*, ChooserColumnCount>& ChooserColumnCaptions() { return Captions; }

ChooserRowTexts ChooserRow(const TDeviceTable& entry, char16_t decimalSeparator) {
  const TIdentifyDeviceData& data = entry.IdentifyData;
  std::u16string model = Trim(data.Model);
  if (!entry.AssociatedPartitions.empty()) model += u" (" + entry.AssociatedPartitions + u")";
  if (!entry.FirstNameOfStorage.empty()) model += u" (второе имя диска " + entry.FirstNameOfStorage + u")";
  return {BusTypeName(data.BusType), model, data.FW, data.SN, Decimal(data.LBA),
          SizeText(CapacityBytes(data), decimalSeparator)};
}

std::vector<ChooserRowTexts> ChooserRows(const ProgramState& state, char16_t decimalSeparator) {
  std::vector<ChooserRowTexts> rows;
  for (std::int64_t index = 1; index <= state.DriveCount; ++index)
    rows.push_back(ChooserRow(state.DriveTable[index], decimalSeparator));
  return rows;
}

int PreselectedRow(int rowCount) { return rowCount - 1; }

bool IsDriveTooSmall(const TDeviceTable& entry) { return entry.IdentifyData.LBA < MinimumSectorCount; }

bool ChooseDrive(ProgramState& state, std::int64_t index, MessageBoxes& boxes) {
  if (IsDriveTooSmall(state.DriveTable[index])) {
    boxes.ShowMessageBox(DriveTooSmallText, DriveTooSmallCaption, MessageIcon::Information);
    return false;
  }
  state.DriveChosen = true;
  state.SelectedDrive = index;
  return true;
}

}  // namespace trelvane
