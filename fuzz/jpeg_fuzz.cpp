// Arbitrary bytes into the logo decoder: it must never crash, hang, print or exit, and a picture it
// accepts must be complete and within the size limits.
#include "platform/gui/JpegDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace platform::gui;
    const RgbImage image = DecodeJpeg(data, size);
    if (image.IsNull()) {
        if (!(image.Width == 0 && image.Height == 0)) std::abort();
        return 0;
    }
    if (image.Width > kMaxJpegSide || image.Height > kMaxJpegSide ||
        std::int64_t(image.Width) * image.Height > kMaxJpegPixels)
        std::abort();
    if (image.Pixels.size() != std::size_t(image.Width) * std::size_t(image.Height) * 3) std::abort();
    return 0;
}
