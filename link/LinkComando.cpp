#include "link/LinkComando.h"

#include <atomic>

namespace {
// Registered on the UI thread, read by the worker thread: atomic pointers.
std::atomic<TLinkRemoto*> linkRemoto{nullptr};
std::atomic<TLinkComando*> linkSeriale{nullptr};
} // namespace

void RegistraLinkRemoto(TLinkRemoto* Link) {
    linkRemoto.store(Link);
}
TLinkRemoto* LinkRemoto() {
    return linkRemoto.load();
}

void RegistraLinkSeriale(TLinkComando* Link) {
    linkSeriale.store(Link);
}
TLinkComando* LinkSeriale() {
    return linkSeriale.load();
}
