#pragma once
// The one crossing between the core's UTF-16 texts and Qt's strings.

#include <QString>
#include <string>

namespace trelvane {

inline QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }
inline std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

// A core text may break lines with "\r\n" (the platform's convention); Qt's widgets break on "\n".
inline QString ToDisplayText(const std::u16string& text) {
  QString shown = ToQString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

}  // namespace trelvane
