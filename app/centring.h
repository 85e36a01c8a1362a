#pragma once

/// Offset that centres a window of the given outer size on a screen, in
/// single precision and unrounded: half a twip passes through, and a window
/// larger than the screen gets a negative offset.
inline float centredOffset(float screenSize, float windowSize)
{
    return (screenSize - windowSize) / 2.0f;
}
