#include "common/drive_title.h"

#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

std::u16string ComposeDriveTitle(const DriveTableEntries& table, std::int64_t index,
                                 char16_t decimalSeparator) {
  const TDeviceTable& entry = table[index];
  const TIdentifyDeviceData& data = entry.IdentifyData;
  return u"[" + DecimalUnsigned(entry.DeviceNumber) + u"]  " + Trim(data.Model) + u"    " + Trim(data.FW) +
         u"    [" + SizeText(data.LBA * data.SectorSize, decimalSeparator) + u"]    (" + Decimal(data.LBA) +
         u" " + Decimal(data.SectorSize) + u"-байтовых секторов)";
}

}  // namespace trelvane
