#include "win32/toolkit/anchors.h"

namespace trelvane {

namespace {

// One axis: the near and far edges of the control, the growth of the container along the axis.
void Stretch(LONG& nearEdge, LONG& farEdge, LONG growth, bool nearAnchored, bool farAnchored) {
  if (farAnchored) {
    farEdge += growth;
    if (!nearAnchored) nearEdge += growth;
  }
}

}  // namespace

RECT Anchored(const RECT& design, SIZE designSize, SIZE size, unsigned anchors) {
  RECT place = design;
  Stretch(place.left, place.right, size.cx - designSize.cx, (anchors & Anchor::Left) != 0,
          (anchors & Anchor::Right) != 0);
  Stretch(place.top, place.bottom, size.cy - designSize.cy, (anchors & Anchor::Top) != 0,
          (anchors & Anchor::Bottom) != 0);
  return place;
}

}  // namespace trelvane
