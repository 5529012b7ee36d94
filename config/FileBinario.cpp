#include "config/FileBinario.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

EsitoLettura LeggiFileBinario(const std::string& Nome, std::size_t MassimoByte,
                              std::vector<std::uint8_t>& Byte) {
    Byte.clear();
    const int fd = ::open(Nome.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return EsitoLettura::NonApribile;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return EsitoLettura::NonApribile;
    }
    Byte.resize(MassimoByte);
    std::size_t letti = 0;
    while (letti < MassimoByte) {
        const ssize_t n = ::read(fd, Byte.data() + letti, MassimoByte - letti);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            Byte.clear();
            return EsitoLettura::ErroreLettura;
        }
        if (n == 0) break;
        letti += std::size_t(n);
    }
    ::close(fd);
    Byte.resize(letti);
    return EsitoLettura::Ok;
}

namespace {

// Start of the character that ends just before Fine (Fine > 0).
std::size_t InizioCarattere(std::string_view Nome, std::size_t Fine) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(Nome[i]); };
    std::size_t inizio = Fine - 1;
    int continuazioni = 0;
    while (inizio > 0 && continuazioni < 3 && (byte(inizio) & 0xC0) == 0x80) {
        --inizio;
        ++continuazioni;
    }
    const unsigned char primo = byte(inizio);
    const int attese = primo >= 0xC2 && primo <= 0xDF   ? 1
                       : primo >= 0xE0 && primo <= 0xEF ? 2
                       : primo >= 0xF0 && primo <= 0xF4 ? 3
                                                        : -1;
    return continuazioni > 0 && attese == continuazioni ? inizio : Fine - 1;
}

} // namespace

std::size_t InizioUltimiCaratteri(std::string_view Nome, std::size_t Quanti) {
    std::size_t inizio = Nome.size();
    for (; Quanti > 0; --Quanti) {
        if (inizio == 0) return std::string_view::npos;
        inizio = InizioCarattere(Nome, inizio);
    }
    return inizio;
}

std::string ApplicaRegolaNomeFile(const std::string& Nome, const std::string& Estensione) {
    const std::size_t quarto = InizioUltimiCaratteri(Nome, 4);
    if (quarto != std::string_view::npos && Nome[quarto] == '.') return Nome;
    return Nome + Estensione;
}
