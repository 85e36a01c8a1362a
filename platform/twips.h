#pragma once

#include <QPaintDevice>

#include <cmath>

/// Converts between twips (1/1440 inch) and the pixels of a device, through
/// the device's logical DPI.
class Twips
{
public:
    explicit Twips(const QPaintDevice &device)
        : perPixelX_(1440.0 / device.logicalDpiX()), perPixelY_(1440.0 / device.logicalDpiY())
    {
    }
    Twips(double dpiX, double dpiY) : perPixelX_(1440.0 / dpiX), perPixelY_(1440.0 / dpiY) {}

    float fromPixelsX(double pixels) const { return float(pixels * perPixelX_); }
    float fromPixelsY(double pixels) const { return float(pixels * perPixelY_); }
    int toPixelsX(double twips) const { return int(std::lround(twips / perPixelX_)); }
    int toPixelsY(double twips) const { return int(std::lround(twips / perPixelY_)); }

private:
    double perPixelX_;
    double perPixelY_;
};
