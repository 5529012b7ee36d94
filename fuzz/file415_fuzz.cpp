// Random ".415" files: a refused file never changes the image, an accepted one is taken byte for
// byte with the model and format stamped. The bytes go straight to the decoder that the file read
// calls once it has them.
#include "config/FileConfig.h"
#include "fuzz/Ripeti.h"

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
    // The first byte chooses between the bytes as they are and the bytes laid over a whole image
    // with a current header, so that most inputs also reach the accepted path.
    if (size == 0) return 0;
    std::vector<std::uint8_t> file(data + 1, data + size);
    if (data[0] & 1) {
        fuzz_comune::Ripeti(file, size - 1, DimensioneFile415);
        if (data[0] & 2) {
            file[4] = IdVm415;
            file[5] = VersioneFormato11;
        }
    }

    static TConfigCentrale config, prima; // static: a 5 KB image twice does not belong on the stack
    std::memset(&config, 0x5A, sizeof config);
    prima = config;
    const bool accettato = DecodificaFile415(file, config);
    const bool valido =
        file.size() == DimensioneFile415 && file[4] == IdVm415 && file[5] == VersioneFormato11;
    Verifica(accettato == valido);
    if (accettato)
        Verifica(std::memcmp(&config, file.data(), sizeof config) == 0);
    else
        Verifica(std::memcmp(&config, &prima, sizeof config) == 0);
    return 0;
}
