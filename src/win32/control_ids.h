#pragma once
// The identifiers of the windows' components: one per component name, so that tests, accessibility
// tools and the program itself find a control the same way.

namespace trelvane::ControlId {

// The main window.
inline constexpr int lbDiskName = 1001;
inline constexpr int pages = 1002;
inline constexpr int Log_Details = 1003;
inline constexpr int Log_BenchMark = 1004;
inline constexpr int gbCurrentTask = 1005;
inline constexpr int pbCurrentTask = 1006;
inline constexpr int lbCurrentPercent = 1007;
inline constexpr int lbSpeed = 1008;
inline constexpr int lbCurrentPosition = 1009;
inline constexpr int cbQuickWipe = 1010;
inline constexpr int btStop = 1011;
inline constexpr int btRunBenchmarks = 1012;
inline constexpr int Log_Smart = 1013;
inline constexpr int btGetSmart = 1014;
inline constexpr int lbMakerLink = 1015;
inline constexpr int StatusBar = 1016;
inline constexpr int cbVerify = 1017;
inline constexpr int lbMethod = 1018;
inline constexpr int cbMethod = 1019;
inline constexpr int lbStopReason = 1020;
inline constexpr int lbAmount = 1021;
inline constexpr int lbVerdict = 1022;
inline constexpr int lbSummary = 1023;
inline constexpr int lbReportLink = 1024;
inline constexpr int lbFigures = 1025;
inline constexpr int lbHealth = 1026;
inline constexpr int lvErrors = 1027;

// The drive chooser.
inline constexpr int lbProgramName = 2001;
inline constexpr int Label1 = 2002;
inline constexpr int DriveList = 2003;
inline constexpr int lbMakerNotice = 2004;
inline constexpr int lbDiskManagement = 2005;
inline constexpr int Label2 = 2006;
inline constexpr int btContinue = 2007;
inline constexpr int ChooserStatusBar = 2008;
inline constexpr int Separator = 2009;

// The debug window.
inline constexpr int Memo1 = 3001;

}  // namespace trelvane::ControlId

namespace trelvane {

// The window classes, which tests and the walkthrough look windows up by.
inline constexpr const wchar_t* FmMainClass = L"TFmMain";
inline constexpr const wchar_t* FmChooseClass = L"TFmChoose";
inline constexpr const wchar_t* FmDebugClass = L"TFmDebug";
inline constexpr const wchar_t* FmScanClass = L"TFmScan";

}  // namespace trelvane
