#include "platform/qt/system_font.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QFontInfo>

#include "platform/task_dialog.h"

namespace trelvane {

namespace {

const QString Calibri = QStringLiteral("Calibri");

bool SameFamily(const QString& left, const QString& right) {
  return left.compare(right, Qt::CaseInsensitive) == 0;
}

// The size in points even for a font that was given in pixels.
qreal PointSize(const QFont& font) {
  return font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
}

}  // namespace

void SetSystemFont(QFont& font) {
  const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  // Each attribute is set one by one so that it counts as set on the window and its children
  // follow it, rather than resolving against the application font.
  font.setFamily(general.family());
  if (general.pointSizeF() > 0) {
    font.setPointSizeF(general.pointSizeF());
  } else {
    font.setPixelSize(general.pixelSize());
  }
  font.setWeight(general.weight());
  font.setItalic(general.italic());
}

void SetCalibriFont(System& system, QFont& font) {
  SetCalibriFont(system, font, QFontDatabase::families());
}

void SetCalibriFont(System& system, QFont& font, const QStringList& installedFamilies) {
  if (!IsVistaOrLater(system)) return;
  if (SameFamily(font.family(), Calibri)) return;
  const bool installed = std::any_of(installedFamilies.begin(), installedFamilies.end(),
                                     [](const QString& family) { return SameFamily(family, Calibri); });
  if (!installed) return;
  font.setPointSizeF(PointSize(font) + 2);
  font.setFamily(Calibri);
}

void SetExplorerTheme(System& system, QAbstractItemView& view) {
  if (!IsVistaOrLater(system)) return;
  view.setMouseTracking(true);
  view.viewport()->setAttribute(Qt::WA_Hover);
}

QFont MonospacedFont(int pixelSize) {
  const QString courier = QStringLiteral("Courier New");
  const QStringList families = QFontDatabase::families();
  const bool installed = std::any_of(families.begin(), families.end(),
                                     [&](const QString& family) { return SameFamily(family, courier); });
  QFont font = installed ? QFont(courier) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(pixelSize);
  return font;
}

QFont PixelFont(const QString& family, int pixelSize) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace trelvane
