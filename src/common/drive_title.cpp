#include "common/drive_title.h"

#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

std::u16string ComposeDriveTitle(const DriveTableEntries& table, std::int64_t index,
                                 char16_t decimalSeparator) {
  const TDeviceTable& entry = table[index];
  const TIdentifyDeviceData& data = entry.IdentifyData;
  // Appended piece by piece: GCC 12 at -O3 takes a chain of `+` on u16strings for an overlapping copy
  // (a false -Wrestrict).
  std::u16string title = u"[";
  for (const std::u16string& piece :
       {DecimalUnsigned(entry.DeviceNumber), std::u16string(u"]  "), Trim(data.Model), std::u16string(u"    "),
        Trim(data.FW), std::u16string(u"    ["), SizeText(data.LBA * data.SectorSize, decimalSeparator),
        std::u16string(u"]    ("), Decimal(data.LBA), std::u16string(u" "), Decimal(data.SectorSize),
        std::u16string(u"-байтовых секторов)")})
    title += piece;
  return title;
}

}  // namespace trelvane
