// Random ".415" files, from memory and from disk: a refused file never changes the image, an
// accepted one is taken byte for byte with the model and format stamped.
#include "config/FileConfig.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string FileTemporaneo() {
    static std::string nome = [] {
        char tmpl[] = "/tmp/vm415-fuzz-415-XXXXXX";
        const int fd = mkstemp(tmpl);
        if (fd >= 0) close(fd);
        static std::string daTogliere = tmpl;
        std::atexit([] { unlink(daTogliere.c_str()); });
        return std::string(tmpl);
    }();
    return nome;
}

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
        file.resize(DimensioneFile415);
        for (std::size_t i = size - 1; i < file.size() && size > 1; ++i)
            file[i] = data[1 + (i % (size - 1))];
        if (data[0] & 2) {
            file[4] = IdVm415;
            file[5] = VersioneFormato11;
        }
    }

    TConfigCentrale config;
    std::memset(&config, 0x5A, sizeof config);
    const TConfigCentrale prima = config;
    const bool accettato = DecodificaFile415(file, config);
    const bool valido =
        file.size() == DimensioneFile415 && file[4] == IdVm415 && file[5] == VersioneFormato11;
    Verifica(accettato == valido);
    if (accettato)
        Verifica(std::memcmp(&config, file.data(), sizeof config) == 0);
    else
        Verifica(std::memcmp(&config, &prima, sizeof config) == 0);

    {
        std::ofstream out(FileTemporaneo(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
    TConfigCentrale daDisco = prima;
    Verifica(LeggiFile415(FileTemporaneo(), daDisco) == valido);
    Verifica(std::memcmp(&daDisco, valido ? static_cast<const void*>(file.data()) : &prima, sizeof daDisco) ==
             0);
    return 0;
}
