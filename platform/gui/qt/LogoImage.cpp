#include "platform/gui/qt/LogoImage.h"

#include "platform/fs/ProgramFolder.h"
#include "platform/gui/JpegDecoder.h"

#include <cstring>

namespace platform::gui {

QImage LoadJpegImage(const std::string& path) {
    const RgbImage rgb = DecodeJpegFile(path);
    if (rgb.IsNull()) return {};
    QImage image(rgb.Width, rgb.Height, QImage::Format_RGB888);
    if (image.isNull()) return {}; // out of memory
    const std::size_t rowBytes = std::size_t(rgb.Width) * 3;
    for (int y = 0; y < rgb.Height; ++y)
        std::memcpy(image.scanLine(y), rgb.Pixels.data() + std::size_t(y) * rowBytes, rowBytes);
    return image;
}

QImage LoadLogo() {
    return LoadJpegImage(platform::ProgramFolder() + "logo.jpg");
}

} // namespace platform::gui
