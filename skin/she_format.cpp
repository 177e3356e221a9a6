#include "skin/she_format.h"

namespace skin {
namespace {

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

std::int32_t Clamp(std::int32_t v, std::int32_t low, std::int32_t high) {
  return v < low ? low : v > high ? high : v;
}

constexpr std::int32_t kMetricLow[kSkinMetricCount] = {0, 1};
constexpr std::int32_t kMetricHigh[kSkinMetricCount] = {12, 3};

// Hue 0..359, saturation and lightness 0..255.
struct Hsl {
  std::int32_t h, s, l;
};

Hsl ToHsl(std::uint32_t colour) {
  const std::int32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  const std::int32_t high = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const std::int32_t low = r < g ? (r < b ? r : b) : (g < b ? g : b);
  Hsl out{0, 0, (high + low) / 2};
  const std::int32_t d = high - low;
  if (d == 0) return out;
  out.s = out.l < 128 ? d * 255 / (high + low) : d * 255 / (510 - high - low);
  if (high == r) {
    out.h = 60 * (g - b) / d;
  } else if (high == g) {
    out.h = 120 + 60 * (b - r) / d;
  } else {
    out.h = 240 + 60 * (r - g) / d;
  }
  out.h = (out.h % 360 + 360) % 360;
  return out;
}

// One channel from the two HSL helper values and a hue in degrees.
std::int32_t Channel(std::int32_t p, std::int32_t q, std::int32_t h) {
  h = (h % 360 + 360) % 360;
  if (h < 60) return p + (q - p) * h / 60;
  if (h < 180) return q;
  if (h < 240) return p + (q - p) * (240 - h) / 60;
  return p;
}

std::uint32_t FromHsl(const Hsl& c) {
  if (c.s == 0) return std::uint32_t(c.l) * 0x010101u;
  const std::int32_t q = c.l < 128 ? c.l * (255 + c.s) / 255 : c.l + c.s - c.l * c.s / 255;
  const std::int32_t p = 2 * c.l - q;
  const std::int32_t r = Clamp(Channel(p, q, c.h + 120), 0, 255);
  const std::int32_t g = Clamp(Channel(p, q, c.h), 0, 255);
  const std::int32_t b = Clamp(Channel(p, q, c.h - 120), 0, 255);
  return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16;
}

}  // namespace

SkinTheme DefaultSkinTheme() {
  SkinTheme t{};
  t.colours[kWindowBackground] = 0xF0F0F0;
  t.colours[kWindowText] = 0x000000;
  t.colours[kGroupBoxBackground] = 0xF0F0F0;
  t.colours[kGroupBoxText] = 0x000000;
  t.colours[kGroupBoxBorder] = 0xA0A0A0;
  t.colours[kEditBackground] = 0xFFFFFF;
  t.colours[kEditText] = 0x000000;
  t.colours[kEditBorder] = 0x808080;
  t.colours[kButtonNormal] = 0xE1E1E1;
  t.colours[kButtonHot] = 0xFBF1E5;
  t.colours[kButtonPressed] = 0xF7E4CC;
  t.colours[kButtonText] = 0x000000;
  t.colours[kButtonBorder] = 0xADADAD;
  t.colours[kDisabledText] = 0x808080;
  t.metrics[kButtonCornerRadius] = 0;
  t.metrics[kBorderWidth] = 1;
  return t;
}

bool ParseSkinFile(const std::uint8_t* data, std::uint32_t size, SkinTheme& theme) {
  if (!data || size < kSheHeaderSize) return false;
  if (data[0] != '.' || data[1] != 'S' || data[2] != 'H' || data[3] != 'E') return false;
  if (U16(data + 4) != kSheMajorVersion) return false;
  const std::uint32_t headerSize = U16(data + 8);
  const std::uint32_t count = U16(data + 10);
  if (headerSize < kSheHeaderSize || headerSize > size || count > (size - headerSize) / 8) {
    return false;
  }
  SkinTheme read = theme;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + headerSize + 8 * i;
    const std::uint16_t id = U16(e), kind = U16(e + 2);
    const std::uint32_t value = U32(e + 4);
    if (id >= kSheColourIdBase && id < kSheColourIdBase + kSkinColourCount) {
      if (kind != kSheKindColour || value > 0xFFFFFF) return false;
      read.colours[id - kSheColourIdBase] = value;
    } else if (id >= kSheMetricIdBase && id < kSheMetricIdBase + kSkinMetricCount) {
      const std::uint16_t m = std::uint16_t(id - kSheMetricIdBase);
      const std::int32_t v = std::int32_t(value);
      if (kind != kSheKindMetric || v < kMetricLow[m] || v > kMetricHigh[m]) return false;
      read.metrics[m] = v;
    }
  }
  theme = read;
  return true;
}

void AdjustSkinTheme(SkinTheme& theme, std::int32_t hue, std::int32_t saturation,
                     std::int32_t brightness) {
  if (hue == 0 && saturation == 0 && brightness == 0) return;
  hue = Clamp(hue, -180, 180);
  saturation = Clamp(saturation, -100, 100);
  brightness = Clamp(brightness, -100, 100);
  for (std::uint32_t& colour : theme.colours) {
    Hsl c = ToHsl(colour);
    c.h = ((c.h + hue) % 360 + 360) % 360;
    c.s = Clamp(c.s * (100 + saturation) / 100, 0, 255);
    c.l = brightness >= 0 ? c.l + (255 - c.l) * brightness / 100 : c.l * (100 + brightness) / 100;
    colour = FromHsl(c);
  }
}

}  // namespace skin
