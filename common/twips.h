#pragma once
// Window geometry is designed in twips; the screen has 15 twips per pixel.
#include <QRect>
#include <QSize>

constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(double twips) {
    return static_cast<int>(twips >= 0 ? (twips / kTwipsPerPixel + 0.5) : (twips / kTwipsPerPixel - 0.5));
}
constexpr double PixelsToTwips(int px) { return static_cast<double>(px) * kTwipsPerPixel; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
inline QSize TwipsSize(int width, int height) { return QSize(TwipsToPixels(width), TwipsToPixels(height)); }
