#pragma once
// The panel's command set for configuration format 11: one routine per command that builds the
// request from the image, exchanges it through the link and decodes the reply into the image, the
// panel identification bytes or the event store.
//
// Every routine returns the link's result: EsitoOk (2) when the matching reply came and was
// decoded, EsitoFallito (4) on failure or on any exception inside the routine, EsitoOccupato (1)
// when the link was busy, EsitoNessunaRichiesta (0) when nothing was pending. Only 2 is success.
#include "config/GlobalsVar.h"
#include "link/EventStore.h"
#include "link/KivComunic.h"
#include "link/LinkComando.h"

#include <cstdint>

// ---- Command codes (12 is not used).
constexpr std::uint8_t CmdIdentificazione = 1;
constexpr std::uint8_t CmdFineComunicazione = 2;
constexpr std::uint8_t CmdLeggiDatiGenerali = 3;
constexpr std::uint8_t CmdScriviDatiGenerali = 4;
constexpr std::uint8_t CmdLeggiDataOra = 5;
constexpr std::uint8_t CmdScriviDataOra = 6;
constexpr std::uint8_t CmdLeggiPuntatoriCoda = 7;
constexpr std::uint8_t CmdLeggiEvento = 8; // reply only: no routine sends it
constexpr std::uint8_t CmdCancellaCoda = 9;
constexpr std::uint8_t CmdLeggiNumTel = 10;
constexpr std::uint8_t CmdScriviNumTel = 11;
constexpr std::uint8_t CmdLeggiBloccoZone = 13;
constexpr std::uint8_t CmdScriviBloccoZone = 14;
constexpr std::uint8_t CmdLeggiBloccoCoda = 15;
constexpr std::uint8_t CmdLeggiBloccoInseritori = 16;
constexpr std::uint8_t CmdScriviBloccoInseritori = 17;
constexpr std::uint8_t CmdLeggiDatiGprsCid = 18;
constexpr std::uint8_t CmdScriviDatiGprsCid = 19;
constexpr std::uint8_t CmdLeggiTabelleCid = 20;
constexpr std::uint8_t CmdScriviTabelleCid = 21;
constexpr std::uint8_t CmdTerminaConnessioneRemota = 22;

// Payload sizes in data bytes.
constexpr int LunghezzaDatiGenerali = 216;
constexpr int LunghezzaDataOra = 5;
constexpr int LunghezzaIdentificazione = 3;
constexpr int LunghezzaPuntatoriCoda = 3;
constexpr int LunghezzaRecordNumTel = 17;
constexpr int LunghezzaNumTel = NumNumTel * LunghezzaRecordNumTel; // 136
constexpr int LunghezzaRecordZona = 30;
constexpr int ZonePerBlocco = 8;
constexpr int LunghezzaBloccoZone = 1 + ZonePerBlocco * LunghezzaRecordZona; // 241
constexpr int LunghezzaRecordInseritore = 21;
constexpr int InseritoriPerBlocco = 8;
constexpr int LunghezzaBloccoInseritori = 1 + InseritoriPerBlocco * LunghezzaRecordInseritore; // 169
constexpr int LunghezzaRecordEvento = 8;
constexpr int LunghezzaBloccoCoda = 1 + EventiPerBlocco * LunghezzaRecordEvento; // 161
constexpr int LunghezzaEventoSingolo = 1 + LunghezzaRecordEvento;                // 9
constexpr int LunghezzaDatiGprsCid = 196;
constexpr int LunghezzaTabelleCid = 2 * NumEventiCid * 3; // 114

// The data length of the command's request and of its reply; -1 for a code the set does not have.
int LunghezzaRichiestaComando(std::uint8_t Comando);
int LunghezzaRispostaComando(std::uint8_t Comando);

// ---- Command routines. Com is the link the caller chose: for a panel operation, the
// TLinkOperazione made at its start (the remote connection when one is up, else the serial link).
std::uint8_t RichiediIdentificazione(TLinkComando& Com);               // 1
std::uint8_t FineComunicazione(TLinkComando& Com);                     // 2
std::uint8_t LeggiDatiGenerali(TLinkComando& Com);                     // 3
std::uint8_t ScriviDatiGenerali(TLinkComando& Com);                    // 4
std::uint8_t LeggiDataOra(TLinkComando& Com);                          // 5
std::uint8_t ScriviDataOra(TLinkComando& Com);                         // 6: sets the image clock to now first
std::uint8_t LeggiPuntatoriCoda(TLinkComando& Com);                    // 7
std::uint8_t CancellaCoda(TLinkComando& Com);                          // 9
std::uint8_t LeggiNumTel(TLinkComando& Com);                           // 10
std::uint8_t ScriviNumTel(TLinkComando& Com);                          // 11
std::uint8_t LeggiBloccoZone(TLinkComando& Com, std::uint8_t Blocco);  // 13
std::uint8_t ScriviBloccoZone(TLinkComando& Com, std::uint8_t Blocco); // 14
std::uint8_t LeggiBloccoCoda(TLinkComando& Com, std::uint8_t Blocco);  // 15
std::uint8_t LeggiBloccoInseritori(TLinkComando& Com, std::uint8_t Blocco);  // 16
std::uint8_t ScriviBloccoInseritori(TLinkComando& Com, std::uint8_t Blocco); // 17
std::uint8_t LeggiDatiGprsCid(TLinkComando& Com);                            // 18
std::uint8_t ScriviDatiGprsCid(TLinkComando& Com);                           // 19
std::uint8_t LeggiTabelleCid(TLinkComando& Com);                             // 20
std::uint8_t ScriviTabelleCid(TLinkComando& Com);                            // 21
std::uint8_t TerminaConnessioneRemota(TLinkComando& Com);                    // 22

// ---- The transaction: sends through Com and, on success, decodes the reply. Returns the link's
// result; exceptions pass to the caller.
std::uint8_t InviaMessaggio(TLinkComando& Com, const TFrameComunic& Richiesta);

// Stores an accepted reply into ConfigCentrale, the identification bytes and the registered event
// store. A reply whose length is not its command's reply length stores nothing. Never throws for
// any frame content.
void DecodificaRisposta(const TFrameComunic& Risposta);
// The same on a given image and store (Coda may be nullptr: queue replies then store nothing).
void DecodificaRisposta(const TFrameComunic& Risposta, TConfigCentrale& Config, TCodaEventi* Coda);

// ---- Record codecs. The encoders append the record at Idx of the frame's data bytes and advance
// it; they return EsitoOk, or EsitoFallito (nothing written) for a slot outside the image or a
// position from which the record would not fit. The decoders read the record at Idx into the slot
// and advance it; they throw std::out_of_range (EFuoriFrame for the position; nothing stored) for
// the same faults.
std::uint8_t CodificaZona(int Zona, int& Idx, TFrameComunic& Frame,
                          const TConfigCentrale& Config = ConfigCentrale);
void DecodificaZona(int Zona, int& Idx, const TFrameComunic& Frame, TConfigCentrale& Config = ConfigCentrale);
std::uint8_t CodificaInseritore(int Inseritore, int& Idx, TFrameComunic& Frame,
                                const TConfigCentrale& Config = ConfigCentrale);
void DecodificaInseritore(int Inseritore, int& Idx, const TFrameComunic& Frame,
                          TConfigCentrale& Config = ConfigCentrale);
void DecodificaEvento(int Evento, int& Idx, const TFrameComunic& Frame, TCodaEventi& Coda);

// ---- The PC's clock, as the date-time commands read it. Tests put a fixed time in its place;
// nullptr restores the wall clock.
using FonteDataOra = double (*)();
void ImpostaOrologioPc(FonteDataOra Fonte);
double OraPc();
