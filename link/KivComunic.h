#pragma once
// The command/reply frame of the panel protocol, the packers that fill and read its data bytes,
// the serial coding of a frame, and the receiver that recognises reply frames in a byte stream.
#include "platform/clock/Clock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
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

// ---- Packers and unpackers. They work through a cursor: the frame's data bytes (or the part of
// them an item may use) and a position in them. An item that would not fit before the end is
// refused whole: EFuoriFrame is thrown and neither the bytes nor the position change.
class EFuoriFrame : public std::out_of_range {
  public:
    using std::out_of_range::out_of_range;
};

template <class TByte> class TCursoreFrame {
  public:
    // Pos outside [0, size of Dati] is refused at once.
    explicit TCursoreFrame(std::span<TByte> Dati, int Pos = 0) : dati_(Dati) {
        if (Pos < 0 || std::size_t(Pos) > Dati.size()) throw EFuoriFrame("position outside the frame");
        pos_ = std::size_t(Pos);
    }
    int Posizione() const { return int(pos_); }
    std::size_t Rimanenti() const { return dati_.size() - pos_; }
    // The next N bytes, passed over.
    TByte* Prendi(std::size_t N) {
        if (N > Rimanenti()) throw EFuoriFrame("item past the end of the frame");
        TByte* p = dati_.data() + pos_;
        pos_ += N;
        return p;
    }
    // A cursor over just the next N bytes, passed over here: a record coded through it can
    // neither spill into the next one nor leave half of itself written at the end of the frame.
    TCursoreFrame Record(std::size_t N) { return TCursoreFrame(std::span<TByte>(Prendi(N), N)); }

  private:
    std::span<TByte> dati_;
    std::size_t pos_ = 0;
};
using TCursoreScrittura = TCursoreFrame<std::uint8_t>;
using TCursoreLettura = TCursoreFrame<const std::uint8_t>;

void ScriviByte(TCursoreScrittura& C, std::uint8_t Valore);
void ScriviWord(TCursoreScrittura& C, std::uint16_t Valore);
void ScriviDWord(TCursoreScrittura& C, std::uint32_t Valore);
// Exactly N bytes: the text's characters, cut at N, then zeros.
void ScriviStringa(TCursoreScrittura& C, std::string_view Testo, int N);
std::uint8_t LeggiByte(TCursoreLettura& C);
std::uint16_t LeggiWord(TCursoreLettura& C);
std::uint32_t LeggiDWord(TCursoreLettura& C);
// Takes min(N, 255) bytes; the text stops at the first 0 byte.
std::string LeggiStringa(TCursoreLettura& C, int N);
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

    // The steps of Stato.
    static constexpr std::uint8_t StatoAttesaStx = 0; // between frames
    static constexpr std::uint8_t StatoLunghezza = 1;
    static constexpr std::uint8_t StatoDati = 2;   // command and data, Rimanenti bytes to go
    static constexpr std::uint8_t StatoSomma = 3;  // the checksum byte
    static constexpr std::uint8_t StatoEtx = 4;    // the 03h that closes the frame
    static constexpr std::uint8_t StatoScarto = 5; // a rejected frame, skipped up to its bare 03h
    // CodiceErrore: why the last frame was rejected.
    static constexpr std::uint8_t NessunErrore = 0;
    static constexpr std::uint8_t ErroreSomma = 2;
    static constexpr std::uint8_t ErroreEtx = 3;       // something else after the checksum
    static constexpr std::uint8_t ErroreLunghezza = 4; // length byte 0

    std::uint8_t Stato = StatoAttesaStx;
    std::uint8_t Somma = 0;
    std::uint8_t Rimanenti = 0;
    std::uint8_t Indice = 0;
    bool DlePendente = false;
    std::uint8_t CodiceErrore = NessunErrore;
    std::uint8_t BufferRx[1026] = {};
    platform::Instant ScadenzaFrame{}; // zero when no frame is under way
    TFrameComunic UltimoFrame{};       // Comando 0 = nothing unread
    // Frames whose end came but which were never delivered: refused (sum, length, end byte) or
    // broken off by a bare 02h or 03h. Only ever counts up; a frame cut off by silence is not one.
    std::uint32_t FrameRifiutati = 0;

  private:
    void Scarta(std::uint8_t Codice);
    // True when B, after a stuffing 10h, cannot have been stuffed: the frame is then rejected.
    bool DleRotto(std::uint8_t B);
    platform::MonotonicClock Orologio_;
};
