#include "config/CartellaCorrente.h"

TCartellaCorrente::TCartellaCorrente() {
    std::error_code ec;
    salvata_ = std::filesystem::current_path(ec);
}

TCartellaCorrente::~TCartellaCorrente() {
    // A folder removed meanwhile cannot be restored; the command has ended anyway.
    if (salvata_.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(salvata_, ec);
}
