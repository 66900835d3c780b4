#pragma once
// Where a control goes when its container changes size: each side of the control that is anchored
// keeps its distance to the same side of the container; a control anchored on neither side of an
// axis keeps its place on that axis.

#include <windows.h>

namespace trelvane {

namespace Anchor {
inline constexpr unsigned Left = 1;
inline constexpr unsigned Top = 2;
inline constexpr unsigned Right = 4;
inline constexpr unsigned Bottom = 8;
inline constexpr unsigned TopLeft = Left | Top;
inline constexpr unsigned TopWide = Left | Top | Right;
inline constexpr unsigned All = Left | Top | Right | Bottom;
inline constexpr unsigned BottomLeft = Left | Bottom;
inline constexpr unsigned BottomRight = Right | Bottom;
inline constexpr unsigned BottomWide = Left | Right | Bottom;
}  // namespace Anchor

// `design` is the control's place in a container of `designSize`; the result is its place in a
// container of `size`, both in the container's coordinates.
RECT Anchored(const RECT& design, SIZE designSize, SIZE size, unsigned anchors);

}  // namespace trelvane
