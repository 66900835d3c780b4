#pragma once
// One run of a windowed program with its four windows, created hidden in the program's order (main
// window, chooser, scan window, debug window) over the platform given, the format and debug logs
// writing into their windows. Each toolkit's session names its window classes and says how its
// windows are shown and closed; the program entry makes one, window tests make their own over an
// emulated machine.

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/windowed_run.h"
#include "os/system.h"

namespace trelvane {

template <typename Main, typename Choose, typename Scan, typename Debug, typename Boxes>
class MainWindowSession : public WindowedRun {
 public:
  Main& FmMain() { return *fmMain_; }
  Choose& FmChoose() { return *fmChoose_; }
  Scan& FmScan() { return *fmScan_; }
  Debug& FmDebug() { return *fmDebug_; }

 protected:
  // `firstArgument` is the program's first command-line argument (empty when there is none).
  MainWindowSession(System& system, std::u16string firstArgument, std::function<void(int)> defaultEnd)
      : WindowedRun(system, std::move(defaultEnd)),
        fmMain_(std::make_unique<Main>(system, state_, log_, *this, std::move(firstArgument))),
        fmChoose_(std::make_unique<Choose>(system, state_, boxes_, *this)),
        fmScan_(std::make_unique<Scan>()),
        fmDebug_(std::make_unique<Debug>()) {
    fmMain_->SetPeers(*fmChoose_, *fmDebug_);
    log_.SetFormatSink(&fmMain_->FormatSink());
    log_.SetDebugSink(&fmDebug_->DebugSink());
  }

  // The toolkit's session has closed its main window (releasing the drive) by now.
  ~MainWindowSession() override {
    log_.SetFormatSink(nullptr);
    log_.SetDebugSink(nullptr);
  }

  Boxes boxes_;
  std::unique_ptr<Main> fmMain_;
  std::unique_ptr<Choose> fmChoose_;
  std::unique_ptr<Scan> fmScan_;
  std::unique_ptr<Debug> fmDebug_;
};

}  // namespace trelvane
