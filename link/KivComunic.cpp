#include "link/KivComunic.h"

#include <algorithm>
#include <cstring>

void ScriviByte(int& Idx, std::uint8_t* Buf, std::uint8_t Valore) { Buf[Idx++] = Valore; }

void ScriviWord(int& Idx, std::uint8_t* Buf, std::uint16_t Valore) {
    Buf[Idx++] = std::uint8_t(Valore);
    Buf[Idx++] = std::uint8_t(Valore >> 8);
}

void ScriviDWord(int& Idx, std::uint8_t* Buf, std::uint32_t Valore) {
    for (int i = 0; i < 4; ++i) Buf[Idx++] = std::uint8_t(Valore >> (8 * i));
}

void ScriviStringa(int& Idx, std::uint8_t* Buf, std::string_view Testo, int N) {
    for (int i = 0; i < N; ++i) Buf[Idx++] = i < int(Testo.size()) ? std::uint8_t(Testo[std::size_t(i)]) : 0;
}

std::uint8_t LeggiByte(int& Idx, const std::uint8_t* Buf) { return Buf[Idx++]; }

std::uint16_t LeggiWord(int& Idx, const std::uint8_t* Buf) {
    const std::uint16_t v = std::uint16_t(Buf[Idx] | (Buf[Idx + 1] << 8));
    Idx += 2;
    return v;
}

std::uint32_t LeggiDWord(int& Idx, const std::uint8_t* Buf) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(Buf[Idx + i]) << (8 * i);
    Idx += 4;
    return v;
}

std::string LeggiStringa(int& Idx, const std::uint8_t* Buf, int N) {
    const int m = std::clamp(N, 0, 255);
    const std::uint8_t* p = Buf + Idx;
    const std::uint8_t* end = std::find(p, p + m, std::uint8_t(0));
    Idx += m;
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
    CodiceErrore = Codice;
    Stato = 5;
    SegnalaErrore(Codice);
}

void TKivComunic::RiceviByte(int B) {
    if (B < 0) {
        // Frames cut off by silence are abandoned only here, when no byte is waiting.
        if (Stato != 0 && Orologio_() > ScadenzaFrame) Stato = 0;
        return;
    }
    const std::uint8_t b = std::uint8_t(B);
    Somma = std::uint8_t(Somma + b);
    // The sender stuffs every 02h and 03h among length, command and data, so a bare one there
    // means the frame under way lost bytes or had its length damaged: a bare STX starts the next
    // frame at once and a bare ETX drops the broken one. Waiting for the 5 s limit instead would
    // swallow the replies that follow and fail every retry until then.
    if ((Stato == 1 || Stato == 2) && !DlePendente && (b == STX || b == ETX)) {
        Stato = 0;
        ScadenzaFrame = {};
    }
    switch (Stato) {
    case 0:
        Indice = 0;
        Rimanenti = 0;
        CodiceErrore = 0;
        DlePendente = false;
        Somma = b;
        if (b == STX) {
            Stato = 1;
            ScadenzaFrame = Orologio_() + TempoFrame;
        }
        break;
    case 1:
        if (ControllaDle(b)) break;
        if (b >= 1) {
            Rimanenti = b;
            Stato = 2;
        } else {
            Scarta(4);
        }
        break;
    case 2:
        if (ControllaDle(b)) break;
        BufferRx[Indice++] = b;
        if (--Rimanenti == 0) Stato = 3;
        break;
    case 3:
        if (Somma == 0)
            Stato = 4;
        else
            Scarta(2);
        break;
    case 4:
        if (b == ETX) {
            UltimoFrame.Comando = BufferRx[0];
            UltimoFrame.Lunghezza = std::uint8_t(Indice - 1);
            std::memcpy(UltimoFrame.Dati, BufferRx + 1, sizeof UltimoFrame.Dati);
        } else {
            CodiceErrore = 3;
            SegnalaErrore(3);
        }
        DlePendente = false;
        Stato = 0;
        ScadenzaFrame = {};
        break;
    case 5:
        if (DlePendente) {
            DlePendente = false;
        } else if (b == DLE) {
            DlePendente = true;
        } else if (b == ETX) {
            Stato = 0;
            CodiceErrore = 0;
            ScadenzaFrame = {};
        }
        break;
    default:
        Stato = 0;
        ScadenzaFrame = {};
        break;
    }
}
