// The reply decoder over arbitrary reply frames. It must not crash or throw, must write nothing
// outside the image and the event store (guard regions around both are checked), must leave the
// image bytes that no reply carries as they were, and must keep the store within its slots.
//
// Input: byte 0 the command; byte 1 the data length (when its low bit is 0, the command's own
// reply length is used instead, so that most inputs reach the decoders); byte 2 the store's event
// count before the reply; the rest the data bytes.
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/EventStore.h"
#include "link/def_ver11.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

constexpr std::size_t Guardia = 64;
constexpr std::uint8_t Segno = 0xA5;

struct Area {
    std::uint8_t prima[Guardia];
    TConfigCentrale config;
    std::uint8_t mezzo[Guardia];
    TCodaEventi coda;
    std::uint8_t dopo[Guardia];
};

bool GuardiaIntatta(const std::uint8_t* g) {
    for (std::size_t i = 0; i < Guardia; ++i)
        if (g[i] != Segno) return false;
    return true;
}

// Image byte ranges [first, last) that no reply of the command set writes.
constexpr std::pair<std::size_t, std::size_t> MaiScritti[] = {
    {4, 280},     // model and version, PC-only texts, pad
    {288, 304},   // the panel's telephone number
    {319, 320},   // AttivaSirenaPerTecnologico_NU
    {4683, 4684}, // pad
    {4703, 4704}, // pad
    {4858, 4864}, // pad
};

void Controlla(bool ok) {
    if (!ok) std::abort();
}

double OraFissa() {
    return 45000.5;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    ImpostaOrologioPc(&OraFissa);

    static Area a; // static: a 6 KB image does not belong on the fuzzer's stack each run
    std::memset(static_cast<void*>(&a), Segno, sizeof a);
    a.coda.NumEventi = std::uint8_t(data[2] % (MaxEventiCoda + 1));

    TFrameComunic f;
    f.Comando = data[0];
    const int attesa = LunghezzaRispostaComando(f.Comando);
    f.Lunghezza = (data[1] & 1) == 0 && attesa >= 0 ? std::uint8_t(attesa) : data[1];
    const std::size_t n = size - 3 < sizeof f.Dati ? size - 3 : sizeof f.Dati;
    std::memcpy(f.Dati, data + 3, n);

    static Area prima;
    prima = a;
    DecodificaRisposta(f, a.config, &a.coda);

    Controlla(GuardiaIntatta(a.prima) && GuardiaIntatta(a.mezzo) && GuardiaIntatta(a.dopo));
    const auto* img = reinterpret_cast<const std::uint8_t*>(&a.config);
    const auto* img0 = reinterpret_cast<const std::uint8_t*>(&prima.config);
    for (const auto& [da, a_] : MaiScritti)
        Controlla(std::memcmp(img + da, img0 + da, a_ - da) == 0);
    for (int i = 0; i < MaxEventiCoda; ++i)
        Controlla(
            std::memcmp(a.coda.Eventi[i].Pad2, prima.coda.Eventi[i].Pad2, sizeof a.coda.Eventi[i].Pad2) == 0);
    Controlla(a.coda.NumEventi <= MaxEventiCoda);

    // A reply whose length is not its command's changes nothing at all.
    if (attesa < 0 || f.Lunghezza != attesa) Controlla(std::memcmp(&a, &prima, sizeof a) == 0);
    return 0;
}
