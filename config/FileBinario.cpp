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

std::string ApplicaRegolaNomeFile(const std::string& Nome, const std::string& Estensione) {
    if (Nome.size() >= 4 && Nome[Nome.size() - 4] == '.') return Nome;
    return Nome + Estensione;
}
