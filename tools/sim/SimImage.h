#pragma once
// The panel's memory: the 4864-byte configuration image, kept as raw bytes with our own offsets so
// that the simulator shares no layout code with the program it talks to.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vm415sim {

inline constexpr std::size_t ImageSize = 4864;
using Image = std::array<std::uint8_t, ImageSize>;

namespace img {
// Header
inline constexpr std::size_t IdCentrale = 4;
inline constexpr std::size_t VersioneCentrale = 5;
inline constexpr std::size_t DataOraOrologio = 280;
// A few defaults a fresh panel holds
inline constexpr std::size_t SimVoce = 314;
inline constexpr std::size_t MinutiPermanenzaAr = 335;
inline constexpr std::size_t TipoRichiestaCredito = 348;
inline constexpr std::size_t CodeOperatoreManuale = 453;
// Record arrays
inline constexpr std::size_t Zone = 544, ZoneSize = 40, ZoneCount = 85;
inline constexpr std::size_t Inseritori = 3944, InseritoreSize = 21, InseritoreCount = 16;
inline constexpr std::size_t NumTel = 4280, NumTelSize = 26, NumTelCount = 8;
inline constexpr std::size_t TabellaEventiCid1 = 4706, TabellaEventiCid2 = 4782, CidEntries = 19;
} // namespace img

// What a panel holds after a factory reset: zero everywhere but the handful of fields that have a
// default, and the model and format bytes, so that a saved image opens in the program as it is.
Image FactoryImage();

// Text fields: a length byte followed by `width` characters. The length is clamped to the width, so
// a damaged length byte never reaches past its field.
std::string ReadText(const Image& image, std::size_t offset, std::size_t width);
void WriteText(Image& image, std::size_t offset, std::size_t width, std::string_view text);

} // namespace vm415sim
