// The main window's fixed layout, read by every face: its caption and sizes,
// the strips Panel1 and Panel2, the log view Memo1's font and colours, the
// start timer Timer1's interval, and where the window goes when first shown.
// Pixel sizes are as designed at 96 pixels per inch.
#pragma once

#include <algorithm>

namespace window_layout {

struct Colour {
  int red;
  int green;
  int blue;
};

inline constexpr char16_t kCaption[] = u"FormVelmar";
// Frame and title bar included, for a face that sizes the outer window.
inline constexpr int kOuterWidth = 471;
inline constexpr int kOuterHeight = 327;
// What that leaves inside on the design system, for a face that sizes the
// client area.
inline constexpr int kClientWidth = 463;
inline constexpr int kClientHeight = 293;

// The strips keep these heights; Panel3 takes the rest.
inline constexpr int kPanel1Height = 10;
inline constexpr int kPanel2Height = 41;
// Each panel's raised bevel; Memo1 sits inside Panel3's.
inline constexpr int kPanelBevel = 1;

// The window's font, and Memo1's own of the same kind.
inline constexpr char16_t kFontFamily[] = u"MS Sans Serif";
inline constexpr int kFontPoints = 8;

inline constexpr Colour kMemo1Background{0, 0, 0};
inline constexpr Colour kMemo1Text{0, 255, 0};

inline constexpr int kTimer1Interval = 1000;  // milliseconds

// Left (or top) of a window of the given width (or height) centred on the
// desktop, the area spanned by every monitor: truncated, never below 0, the
// desktop's own origin not added.
constexpr int CentredOnDesktop(int desktopExtent, int windowExtent) {
  return std::max(0, (desktopExtent - windowExtent) / 2);
}

}  // namespace window_layout
