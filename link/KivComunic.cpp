#include "link/KivComunic.h"

#include <algorithm>
#include <cstring>

void ScriviByte(TCursoreScrittura& C, std::uint8_t Valore) {
    *C.Prendi(1) = Valore;
}

void ScriviWord(TCursoreScrittura& C, std::uint16_t Valore) {
    std::uint8_t* p = C.Prendi(2);
    p[0] = std::uint8_t(Valore);
    p[1] = std::uint8_t(Valore >> 8);
}

void ScriviDWord(TCursoreScrittura& C, std::uint32_t Valore) {
    std::uint8_t* p = C.Prendi(4);
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(Valore >> (8 * i));
}

void ScriviStringa(TCursoreScrittura& C, std::string_view Testo, int N) {
    const std::size_t n = std::size_t(std::max(N, 0));
    std::uint8_t* p = C.Prendi(n);
    const std::size_t k = std::min(n, Testo.size());
    std::copy_n(reinterpret_cast<const std::uint8_t*>(Testo.data()), k, p);
    std::fill_n(p + k, n - k, std::uint8_t(0));
}

std::uint8_t LeggiByte(TCursoreLettura& C) {
    return *C.Prendi(1);
}

std::uint16_t LeggiWord(TCursoreLettura& C) {
    const std::uint8_t* p = C.Prendi(2);
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t LeggiDWord(TCursoreLettura& C) {
    const std::uint8_t* p = C.Prendi(4);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(p[i]) << (8 * i);
    return v;
}

std::string LeggiStringa(TCursoreLettura& C, int N) {
    const std::size_t m = std::size_t(std::clamp(N, 0, 255));
    const std::uint8_t* p = C.Prendi(m);
    const std::uint8_t* end = std::find(p, p + m, std::uint8_t(0));
    return std::string(reinterpret_cast<const char*>(p), std::size_t(end - p));
}

void InizializzaFrame(TFrameComunic& Frame, std::uint8_t LunghezzaRisposta) {
    Frame.Comando = 1;
    Frame.Lunghezza = 0;
    Frame.LunghezzaRisposta = LunghezzaRisposta;
}

bool CodificaFrameSeriale(const TFrameComunic& Frame, TFrameSeriale& Uscita) {
    // A length byte of Lunghezza + 1 would wrap to 0 past 254 data bytes and the panel would
    // reject the frame; refuse it here instead of sending garbage.
    if (Frame.Lunghezza > MaxDatiSeriale) return false;
    std::size_t n = 0;
    std::uint8_t somma = 0;
    auto metti = [&](std::uint8_t b) {
        Uscita.Byte[n++] = b;
        somma = std::uint8_t(somma + b);
    };
    auto mettiConDle = [&](std::uint8_t b) {
        if (b == STX || b == ETX || b == DLE) metti(DLE);
        metti(b);
    };
    Uscita.Byte[n++] = ETX; // lead-in, outside the checksum
    metti(STX);
    mettiConDle(std::uint8_t(Frame.Lunghezza + 1));
    mettiConDle(Frame.Comando);
    for (int i = 0; i < Frame.Lunghezza; ++i) mettiConDle(Frame.Dati[i]);
    Uscita.Byte[n++] = std::uint8_t(0 - somma); // never stuffed
    Uscita.Pausa = n;
    Uscita.Byte[n++] = ETX;
    Uscita.Byte[n++] = ETX;
    Uscita.Lunghezza = n;
    return true;
}

bool TKivComunic::ControllaDle(std::uint8_t B) {
    if (B == DLE && !DlePendente) {
        DlePendente = true;
        return true;
    }
    DlePendente = false;
    return false;
}

void TKivComunic::SegnalaErrore(std::uint8_t) {}

void TKivComunic::Scarta(std::uint8_t Codice) {
    ++FrameRifiutati;
    CodiceErrore = Codice;
    Stato = StatoScarto;
    SegnalaErrore(Codice);
}

bool TKivComunic::DleRotto(std::uint8_t B) {
    // A sender puts only 02h, 03h or 10h after a 10h. Anything else there means a byte of the
    // frame was lost or changed, and taking it literally lets the rest line up: the real checksum
    // becomes the last data byte and a trailing 03h passes as the checksum. Refused as a bad sum.
    if (!DlePendente || B == STX || B == ETX || B == DLE) return false;
    DlePendente = false;
    Scarta(ErroreSomma);
    return true;
}

void TKivComunic::RiceviByte(int B) {
    if (B < 0) {
        // Frames cut off by silence are abandoned only here, when no byte is waiting.
        if (Stato != StatoAttesaStx && Orologio_() > ScadenzaFrame) Stato = StatoAttesaStx;
        return;
    }
    const std::uint8_t b = std::uint8_t(B);
    Somma = std::uint8_t(Somma + b);
    // The sender stuffs every 02h and 03h among length, command and data, so a bare one there
    // means the frame under way lost bytes or had its length damaged: a bare STX starts the next
    // frame at once and a bare ETX drops the broken one. Waiting for the 5 s limit instead would
    // swallow the replies that follow and fail every retry until then.
    if ((Stato == StatoLunghezza || Stato == StatoDati) && !DlePendente && (b == STX || b == ETX)) {
        ++FrameRifiutati;
        Stato = StatoAttesaStx;
        ScadenzaFrame = {};
    }
    switch (Stato) {
    case StatoAttesaStx:
        Indice = 0;
        Rimanenti = 0;
        CodiceErrore = NessunErrore;
        DlePendente = false;
        Somma = b;
        if (b == STX) {
            Stato = StatoLunghezza;
            ScadenzaFrame = Orologio_() + TempoFrame;
        }
        break;
    case StatoLunghezza:
        if (DleRotto(b)) break;
        if (ControllaDle(b)) break;
        if (b >= 1) {
            Rimanenti = b;
            Stato = StatoDati;
        } else {
            Scarta(ErroreLunghezza);
        }
        break;
    case StatoDati:
        if (DleRotto(b)) break;
        if (ControllaDle(b)) break;
        BufferRx[Indice++] = b;
        if (--Rimanenti == 0) Stato = StatoSomma;
        break;
    case StatoSomma:
        if (Somma == 0)
            Stato = StatoEtx;
        else
            Scarta(ErroreSomma);
        break;
    case StatoEtx:
        if (b == ETX) {
            UltimoFrame.Comando = BufferRx[0];
            UltimoFrame.Lunghezza = std::uint8_t(Indice - 1);
            std::memcpy(UltimoFrame.Dati, BufferRx + 1, sizeof UltimoFrame.Dati);
        } else {
            ++FrameRifiutati;
            CodiceErrore = ErroreEtx;
            SegnalaErrore(ErroreEtx);
        }
        DlePendente = false;
        Stato = StatoAttesaStx;
        ScadenzaFrame = {};
        break;
    case StatoScarto:
        if (DlePendente) {
            DlePendente = false;
        } else if (b == DLE) {
            DlePendente = true;
        } else if (b == ETX) {
            Stato = StatoAttesaStx;
            CodiceErrore = NessunErrore;
            ScadenzaFrame = {};
        }
        break;
    default:
        Stato = StatoAttesaStx;
        ScadenzaFrame = {};
        break;
    }
}
