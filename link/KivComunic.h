#pragma once
// The command/reply frame of the panel protocol, the packers that fill and read its data bytes,
// the serial coding of a frame, and the receiver that recognises reply frames in a byte stream.
#include "platform/clock/Clock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One command or reply frame, copied whole.
struct TFrameComunic {
    std::uint8_t Comando = 0;           // command code 1..22; 0 = no request pending / nothing unread
    std::uint8_t Lunghezza = 0;         // data bytes that belong to the frame
    std::uint8_t Dati[1025] = {};       // data bytes, from 0
    std::uint8_t LunghezzaRisposta = 0; // in a request: the reply length the sender expects
};
static_assert(sizeof(TFrameComunic) == 1028);
static_assert(offsetof(TFrameComunic, Dati) == 2 && offsetof(TFrameComunic, LunghezzaRisposta) == 1027);

// ---- Packers and unpackers. Idx is a position in Dati, advanced by the item's width. Like the
// panel's own code they do not check the end of the array: callers stay within their payload.
void ScriviByte(int& Idx, std::uint8_t* Buf, std::uint8_t Valore);
void ScriviWord(int& Idx, std::uint8_t* Buf, std::uint16_t Valore);
void ScriviDWord(int& Idx, std::uint8_t* Buf, std::uint32_t Valore);
// Exactly N bytes: the text's characters, cut at N, then zeros.
void ScriviStringa(int& Idx, std::uint8_t* Buf, std::string_view Testo, int N);
std::uint8_t LeggiByte(int& Idx, const std::uint8_t* Buf);
std::uint16_t LeggiWord(int& Idx, const std::uint8_t* Buf);
std::uint32_t LeggiDWord(int& Idx, const std::uint8_t* Buf);
// Takes min(N, 255) bytes; the text stops at the first 0 byte.
std::string LeggiStringa(int& Idx, const std::uint8_t* Buf, int N);
void InizializzaFrame(TFrameComunic& Frame, std::uint8_t LunghezzaRisposta);

// ---- Serial coding. The bytes a request travels as: 03h, STX, the stuffed length, command and
// data, the checksum, then (after a 1 ms pause that the sender makes) 03h 03h.
constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;
constexpr std::uint8_t DLE = 0x10;
// Largest data length a serial frame can carry: the length byte holds Lunghezza + 1.
constexpr int MaxDatiSeriale = 254;

struct TFrameSeriale {
    std::array<std::uint8_t, 2 + 2 * (MaxDatiSeriale + 2) + 1 + 2> Byte{};
    std::size_t Lunghezza = 0; // bytes in Byte
    std::size_t Pausa = 0;     // the 1 ms pause goes before Byte[Pausa] (the two trailing 03h)
};

// False, and nothing coded, when the frame holds more data than the length byte can say.
bool CodificaFrameSeriale(const TFrameComunic& Frame, TFrameSeriale& Uscita);

// ---- The receiver: one step of the state machine per received byte, or a tick (-1) when
// nothing is waiting. It never blocks and never allocates.
class TKivComunic {
public:
    explicit TKivComunic(platform::MonotonicClock Orologio = &platform::SteadyNow) : Orologio_(Orologio) {}
    virtual ~TKivComunic() = default;

    static constexpr auto TempoFrame = std::chrono::seconds(5);

    void RiceviByte(int B);
    bool ControllaDle(std::uint8_t B);
    // Called after each rejected frame with CodiceErrore already set; nothing to do by default.
    virtual void SegnalaErrore(std::uint8_t Codice);

    std::uint8_t Stato = 0;
    std::uint8_t Somma = 0;
    std::uint8_t Rimanenti = 0;
    std::uint8_t Indice = 0;
    bool DlePendente = false;
    std::uint8_t CodiceErrore = 0; // 2 checksum, 3 no 03h after the checksum, 4 length 0
    std::uint8_t BufferRx[1026] = {};
    platform::Instant ScadenzaFrame{}; // zero when no frame is under way
    TFrameComunic UltimoFrame{};       // Comando 0 = nothing unread

private:
    void Scarta(std::uint8_t Codice);
    platform::MonotonicClock Orologio_;
};
