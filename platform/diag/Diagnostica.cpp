#include "platform/diag/Diagnostica.h"

#include <cstdio>
#include <exception>
#include <mutex>

namespace platform {
namespace {

std::mutex& Lock() {
    static std::mutex m;
    return m;
}

CatturaDiagnostica::Destinazione& DestinazioneAttiva() {
    static CatturaDiagnostica::Destinazione d;
    return d;
}

} // namespace

void Diagnostica(std::string_view Unita, std::string_view Motivo) {
    std::string riga = "vm415: ";
    riga.append(Unita).append(": ").append(Motivo);
    // A reason may carry a line break of its own (a system message): keep one event on one line.
    for (char& c : riga)
        if (c == '\n' || c == '\r') c = ' ';
    std::lock_guard lock(Lock());
    if (DestinazioneAttiva()) {
        DestinazioneAttiva()(riga);
        return;
    }
    riga.push_back('\n');
    std::fwrite(riga.data(), 1, riga.size(), stderr);
    std::fflush(stderr);
}

std::string MotivoEccezione() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

CatturaDiagnostica::CatturaDiagnostica(Destinazione d) {
    std::lock_guard lock(Lock());
    precedente_ = std::move(DestinazioneAttiva());
    DestinazioneAttiva() = std::move(d);
}

CatturaDiagnostica::~CatturaDiagnostica() {
    std::lock_guard lock(Lock());
    DestinazioneAttiva() = std::move(precedente_);
}

} // namespace platform
