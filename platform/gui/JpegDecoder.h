#pragma once
// Decoding of the logo picture. Plain C++ over libjpeg, without Qt, so that the fuzz build (which
// has no Qt) can exercise the very code the windows use; the Qt wrapper only copies the pixels.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::gui {

// Pixels as R, G, B bytes, rows top to bottom with no padding. Width == 0 means "no picture".
struct RgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;

    bool IsNull() const { return Width <= 0 || Height <= 0; }
};

// Pictures beyond these are refused: the logo is a few hundred pixels wide, and a forged header
// must not make us allocate gigabytes.
inline constexpr int kMaxJpegSide = 8192;
inline constexpr std::int64_t kMaxJpegPixels = std::int64_t(4096) * 4096;
inline constexpr std::size_t kMaxJpegFileBytes = 32u << 20;

// A null image for anything that is not a complete, undamaged JPEG (libjpeg's warnings, such as a
// premature end of data, count as damage). Never prints, never exits.
RgbImage DecodeJpeg(const std::uint8_t* data, std::size_t size);
// A missing, unreadable, empty or oversized file gives a null image as well; only regular files
// are read, and one that cannot be is named once on the diagnostic log (ReadDataFile).
RgbImage DecodeJpegFile(const std::string& path);

} // namespace platform::gui
