#include "tools/sim/SimImage.h"

#include <algorithm>
#include <cstring>

namespace vm415sim {

Image FactoryImage() {
    Image image{};
    image[img::IdCentrale] = 164;
    image[img::VersioneCentrale] = 11;
    image[img::SimVoce] = 1;
    image[img::MinutiPermanenzaAr] = 10;
    image[img::TipoRichiestaCredito] = 'C';
    WriteText(image, img::CodeOperatoreManuale, 5, "00000");
    for (std::size_t i = 0; i < img::CidEntries; ++i) {
        WriteText(image, img::TabellaEventiCid1 + 4 * i, 3, "000");
        WriteText(image, img::TabellaEventiCid2 + 4 * i, 3, "000");
    }
    return image;
}

std::string ReadText(const Image& image, std::size_t offset, std::size_t width) {
    const std::size_t length = std::min<std::size_t>(image[offset], width);
    return std::string(reinterpret_cast<const char*>(image.data() + offset + 1), length);
}

void WriteText(Image& image, std::size_t offset, std::size_t width, std::string_view text) {
    const std::size_t length = std::min(text.size(), width);
    image[offset] = static_cast<std::uint8_t>(length);
    std::memcpy(image.data() + offset + 1, text.data(), length);
    // Nothing of a longer, older text may linger behind the new one.
    std::memset(image.data() + offset + 1 + length, 0, width - length);
}

} // namespace vm415sim
