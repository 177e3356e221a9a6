// The ".SHE" skin file of our skin engine: a small versioned table of colours
// and metrics, and the hue, saturation and brightness adjustment applied to
// the colours when a skin is attached.
//
// Layout (little-endian):
//   0   ".SHE"
//   4   u16 major version (1; files of another major version are refused)
//   6   u16 minor version (any; newer minors may add entries)
//   8   u16 header size (at least 16; the table starts there)
//   10  u16 number of entries
//   12  u32 reserved
//   16  entries of 8 bytes: u16 id, u16 kind (1 colour, 2 metric), u32 value
// A colour is 0x00BBGGRR (the layout of a Windows COLORREF). Unknown ids are
// skipped; an entry whose kind does not match its id, a colour with a high
// byte, a metric out of range, or a table past the end makes the file bad.
//
// This file is compiled into the engine DLL as well, which runs without any
// C or C++ runtime: it uses nothing but fixed-size integers.
#pragma once

#include <cstdint>

namespace skin {

enum SkinColour : std::uint16_t {
  kWindowBackground,
  kWindowText,
  kGroupBoxBackground,
  kGroupBoxText,
  kGroupBoxBorder,
  kEditBackground,
  kEditText,
  kEditBorder,
  kButtonNormal,
  kButtonHot,
  kButtonPressed,
  kButtonText,
  kButtonBorder,
  kDisabledText,
  kSkinColourCount
};

enum SkinMetric : std::uint16_t {
  kButtonCornerRadius,  // 0 to 12 pixels
  kBorderWidth,         // 1 to 3 pixels
  kSkinMetricCount
};

inline constexpr std::uint16_t kSheMajorVersion = 1;
inline constexpr std::uint16_t kSheHeaderSize = 16;
inline constexpr std::uint16_t kSheKindColour = 1;
inline constexpr std::uint16_t kSheKindMetric = 2;
// Entry ids: colours 0x0001 + SkinColour, metrics 0x0101 + SkinMetric.
inline constexpr std::uint16_t kSheColourIdBase = 0x0001;
inline constexpr std::uint16_t kSheMetricIdBase = 0x0101;

struct SkinTheme {
  std::uint32_t colours[kSkinColourCount];
  std::int32_t metrics[kSkinMetricCount];
};

// The colours and metrics a skin file does not name.
SkinTheme DefaultSkinTheme();

// Reads a skin file over `theme` (which keeps the values the file does not
// name). False, with `theme` untouched, when the file is bad.
bool ParseSkinFile(const std::uint8_t* data, std::uint32_t size, SkinTheme& theme);

// Turns every colour's hue by `hue` degrees (-180 to 180), scales its
// saturation by `saturation` percent (-100 grey to 100 double) and moves its
// lightness towards white or black by `brightness` percent (-100 to 100).
// Values beyond the ranges are clamped; all three 0 leaves the colours as
// they are.
void AdjustSkinTheme(SkinTheme& theme, std::int32_t hue, std::int32_t saturation,
                     std::int32_t brightness);

}  // namespace skin
