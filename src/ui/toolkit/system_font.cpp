#include "ui/toolkit/system_font.h"

#include <algorithm>
#include <initializer_list>

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QFontInfo>

#include "shell/task_dialog.h"

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

bool Installed(const QStringList& families, const QString& family) {
  return std::any_of(families.begin(), families.end(),
                     [&](const QString& installed) { return SameFamily(installed, family); });
}

// The first of `candidates` that is installed; empty when none is.
QString FirstInstalled(const QStringList& families, std::initializer_list<const char16_t*> candidates) {
  for (const char16_t* candidate : candidates) {
    const QString family = QString::fromUtf16(candidate);
    if (Installed(families, family)) return family;
  }
  return {};
}

// "Courier New", or a face with its metrics, or the desktop's fixed font, or any fixed-pitch face:
// the report tables need every character to be equally wide.
QString MonospacedFamily() {
  const QStringList families = QFontDatabase::families();
  const QString courier = FirstInstalled(families, {u"Courier New", u"Liberation Mono", u"Cousine"});
  if (!courier.isEmpty()) return courier;
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (QFontInfo(fixed).fixedPitch()) return fixed.family();
  const auto anyFixed = std::find_if(families.begin(), families.end(),
                                     [](const QString& family) { return QFontDatabase::isFixedPitch(family); });
  return anyFixed != families.end() ? *anyFixed : fixed.family();
}

// "Tahoma", or a face of about its width where it is not installed: the captions were laid out for
// it, and the wide default faces of some desktops would push the controls beside them apart.
QString TahomaFamily() {
  const QString tahoma = FirstInstalled(QFontDatabase::families(), {u"Tahoma", u"Liberation Sans", u"Arimo", u"Arial"});
  return !tahoma.isEmpty() ? tahoma : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
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
  if (!Installed(installedFamilies, Calibri)) return;
  font.setPointSizeF(PointSize(font) + 2);
  font.setFamily(Calibri);
}

void SetWindowFont(System& system, QWidget& window) {
  QFont font = window.font();
  SetSystemFont(font);
  SetCalibriFont(system, font);
  window.setFont(font);
}

void SetExplorerTheme(System& system, QAbstractItemView& view) {
  if (!IsVistaOrLater(system)) return;
  view.setMouseTracking(true);
  view.viewport()->setAttribute(Qt::WA_Hover);
}

QFont MonospacedFont(int pixelSize) {
  QFont font(MonospacedFamily());
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(pixelSize);
  return font;
}

QFont TahomaFont(int pixelSize) {
  QFont font(TahomaFamily());
  font.setPixelSize(pixelSize);
  return font;
}

QFont TahomaPointFont(int pointSize) {
  QFont font(TahomaFamily());
  font.setPointSize(pointSize);
  return font;
}

}  // namespace trelvane
