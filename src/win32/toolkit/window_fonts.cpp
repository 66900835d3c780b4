#include "win32/toolkit/window_fonts.h"

#include <cwchar>

#include <windows.h>
#include <uxtheme.h>

#include "shell/task_dialog.h"

namespace trelvane {

namespace {

int ScreenPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

FontHandle MakeFont(const LOGFONTW& description) { return FontHandle(CreateFontIndirectW(&description)); }

LOGFONTW FaceOfPixels(const wchar_t* face, int pixelHeight, bool bold) {
  LOGFONTW font{};
  font.lfHeight = -pixelHeight;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

LOGFONTW FaceOfPoints(const wchar_t* face, int points) {
  return FaceOfPixels(face, MulDiv(points, ScreenPixelsPerInch(), 72));
}

LOGFONTW MonospacedFace(int pixelHeight) {
  for (const wchar_t* face : {L"Courier New", L"Liberation Mono", L"Cousine", L"DejaVu Sans Mono"}) {
    if (IsFontInstalled(face)) return FaceOfPixels(face, pixelHeight);
  }
  LOGFONTW font = FaceOfPixels(L"", pixelHeight);
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  return font;
}

void SetDefaultGuiFont(LOGFONTW& font) {
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &font);
}

void SetSystemFont(LOGFONTW& font) {
  LOGFONTW iconTitle{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(LOGFONTW), &iconTitle, 0)) {
    font = iconTitle;
  } else {
    SetDefaultGuiFont(font);
  }
}

bool IsFontInstalled(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

int PointsOf(const LOGFONTW& font) {
  const int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
  return MulDiv(height, 72, ScreenPixelsPerInch());
}

void SetCalibriFont(System& system, LOGFONTW& font) {
  if (!IsVistaOrLater(system)) return;
  if (_wcsicmp(font.lfFaceName, L"Calibri") == 0) return;
  if (!IsFontInstalled(L"Calibri")) return;
  font.lfHeight = -MulDiv(PointsOf(font) + 2, ScreenPixelsPerInch(), 72);
  wcsncpy(font.lfFaceName, L"Calibri", LF_FACESIZE - 1);
}

void SetExplorerTheme(System& system, HWND window) {
  if (!IsVistaOrLater(system)) return;
  SetWindowTheme(window, L"Explorer", nullptr);
}

void SetOwnFont(HWND control, HFONT font) {
  SetPropW(control, L"TrelvaneOwnFont", reinterpret_cast<HANDLE>(font));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ApplyFont(HWND window, HFONT font) {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EnumChildWindows(
      window,
      [](HWND child, LPARAM given) -> BOOL {
        if (GetPropW(child, L"TrelvaneOwnFont") == nullptr) SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(given), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
}

}  // namespace trelvane
