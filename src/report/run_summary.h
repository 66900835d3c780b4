#pragma once
// The end of a run in a few words for the main window: the verdict the erasure report reached, how
// much of the drive was written, how long it took and how many ranges failed.

#include <string>

#include "report/erasure_report.h"

namespace trelvane {

// How the verdict line is coloured: all is well, the user has a decision to think over, or the
// drive still holds data it was to lose.
enum class SummaryTone { Good, Caution, Bad };

// The verdict line's colour in each tone: dark enough to read on the window's grey.
struct ToneColour {
  int red, green, blue;
};
constexpr ToneColour ColourOf(SummaryTone tone) {
  return tone == SummaryTone::Good ? ToneColour{0, 120, 0} : tone == SummaryTone::Caution ? ToneColour{170, 100, 0}
                                                                                          : ToneColour{190, 0, 0};
}

struct RunSummary {
  std::u16string verdict;
  SummaryTone tone = SummaryTone::Good;
  std::u16string details;  // the bytes written of the drive's, and the scope of a method that leaves the rest
  std::u16string figures;  // the duration and the failed ranges, beside the verdict
};

RunSummary SummarizeRun(const ErasureReport& report);

}  // namespace trelvane
