#include "cli/list_command.h"

#include "app/chooser_model.h"
#include "text/u16.h"

namespace trelvane::cli {

int ListCommand(Session& session) {
  const ProgramState& state = session.state;
  const char16_t separator = session.system->GetRegionalSettings().decimalSeparator;
  const std::vector<ChooserRowTexts> rows = ChooserRows(state, separator);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    std::u16string line = DecimalUnsigned(state.DriveTable[static_cast<std::int64_t>(row) + 1].DeviceNumber);
    for (const std::u16string& text : rows[row]) line += u"\t" + text;
    PrintLine(stdout, line);
  }
  return ExitSuccess;
}

}  // namespace trelvane::cli
