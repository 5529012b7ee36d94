// Random ".kit" files and kit numbers: counts and numbers out of range never reach outside the
// file's records or the image, and only radio codes change.
#include "config/FileKit.h"
#include "fuzz/Ripeti.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
void Verifica(bool condizione) {
    if (!condizione) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // Two bytes choose the kit number; the rest is the file, laid over a whole one when it is short.
    const int numero = std::int8_t(data[0]) * 2 + (data[1] & 1);
    std::vector<std::uint8_t> file(data + 2, data + size);
    if (file.size() < sizeof(TFileKit)) fuzz_comune::Ripeti(file, file.size(), sizeof(TFileKit));
    if (data[1] & 2) file.push_back(0); // and sometimes one byte too many

    std::int32_t numKit = 0;
    if (file.size() >= offsetof(TFileKit, NumKit) + sizeof numKit)
        std::memcpy(&numKit, file.data() + offsetof(TFileKit, NumKit), sizeof numKit);
    TFileKit kit{};
    const bool letto = DecodificaFileKit(file, kit);
    // Only a file of the right size whose kit count its 100 records can hold.
    Verifica(letto == (file.size() == sizeof(TFileKit) && numKit >= 1 && numKit <= MaxKit));
    if (!letto) return 0;

    TConfigCentrale config;
    std::memset(&config, 0x33, sizeof config);
    TConfigCentrale prima = config;
    const bool copiato = CopiaCodiciKit(kit, numero, config);
    Verifica(copiato == (numero > 0 && numero <= kit.NumKit && numero <= MaxKit));
    // Apart from the codes, nothing of the image changed.
    for (auto& z : config.Zone)
        z.CodiceRadio = {{0x33, 0x33, 0x33}};
    for (auto& k : config.Inseritori)
        k.CodiceRadio = {{0x33, 0x33, 0x33}};
    Verifica(std::memcmp(&config, &prima, sizeof config) == 0);
    return 0;
}
