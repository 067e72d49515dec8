#pragma once
// Window geometry is kept in twips (15 to the pixel of the usual display) and colours as 0x00BBGGRR values,
// as the settings store holds them.

#include <QColor>

#include <cmath>
#include <cstdint>

inline constexpr int TwipsPerPixel = 15;

// A position in twips falls on the pixel that holds it, so a value saved back never grows past a limit.
inline int TwipsToPixels(double twips) { return static_cast<int>(std::floor(twips / TwipsPerPixel)); }
inline double PixelsToTwips(int pixels) { return static_cast<double>(pixels) * TwipsPerPixel; }

inline QColor ColorFromBGR(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline uint32_t BGRFromColor(const QColor& color)
{
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}
