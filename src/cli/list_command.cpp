#include "cli/list_command.h"

#include "device/probe.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane::cli {

int ListCommand(Session& session) {
  const ProgramState& state = session.state;
  const char16_t separator = session.system->GetRegionalSettings().decimalSeparator;
  for (std::int64_t index = 1; index <= state.DriveCount; ++index) {
    const TDeviceTable& entry = state.DriveTable[index];
    const TIdentifyDeviceData& data = entry.IdentifyData;
    std::u16string model = Trim(data.Model);
    if (!entry.AssociatedPartitions.empty()) model += u" (" + entry.AssociatedPartitions + u")";
    PrintLine(stdout, DecimalUnsigned(entry.DeviceNumber) + u"\t" + BusTypeName(data.BusType) + u"\t" + model +
                          u"\t" + data.FW + u"\t" + data.SN + u"\t" + Decimal(data.LBA) + u"\t" +
                          SizeText(data.LBA * data.SectorSize, separator));
  }
  return ExitSuccess;
}

}  // namespace trelvane::cli
