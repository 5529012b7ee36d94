#pragma once
// Shared by the fuzz targets that lay a short input over a whole file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fuzz_comune {

// Grows the bytes to Dimensione by repeating their first N, a doubling block at a time: a loop
// byte by byte over a 21 KB file was most of each run.
inline void Ripeti(std::vector<std::uint8_t>& Byte, std::size_t N, std::size_t Dimensione) {
    Byte.resize(Dimensione);
    if (N == 0) return;
    for (std::size_t fatti = N; fatti < Dimensione;) {
        const std::size_t blocco = fatti < Dimensione - fatti ? fatti : Dimensione - fatti;
        std::memcpy(Byte.data() + fatti, Byte.data(), blocco);
        fatti += blocco;
    }
}

} // namespace fuzz_comune
