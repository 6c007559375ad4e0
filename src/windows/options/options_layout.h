// The space each page's panel gives its controls (as laid out for the
// window's fixed size), shared by the page layouts.
#pragma once

namespace options_layout {

// The panel's inner width and height, and the width of a control spanning it
// between the margins.
inline constexpr int kPageWidth = 402;
inline constexpr int kPageHeight = 327;
inline constexpr int kFullWidth = kPageWidth - 2 * 8;
// Two columns: the left one's width, and where the right one starts.
inline constexpr int kColumnWidth = (kFullWidth - 8) / 2;
inline constexpr int kRightColumn = 8 + kColumnWidth + 8;

}  // namespace options_layout
