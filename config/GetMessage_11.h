#pragma once
// Text lookup in the language table "Lingue.csv" and the small text helpers used across the program.
// Texts are Windows-1252, like the table.
#include <cstdint>
#include <string>
#include <string_view>

// The panel identification bytes from the reply to the identification command.
extern std::uint8_t IdCentraleRx;
extern std::uint8_t VersioneCentraleRx;
extern std::uint8_t AbilComCentraleRx;

constexpr const char* NomeFileLingue = "Lingue.csv";

// Sets Risultato to the key's text in the language of ConfigPc.Lingua. When the table cannot be
// opened it shows an error and leaves Risultato as it was; a key or column not found gives "..."
// and a message naming the key.
void GetMessaggio(std::string_view Chiave, std::string& Risultato);
// The same, starting from an empty text.
std::string GetMessaggio(std::string_view Chiave);
// The lookup itself over the table's bytes: the key's text in column Lingua, or "..." when the key
// or the column is not there. Shows nothing.
std::string CercaMessaggio(std::string_view Tabella, std::string_view Chiave, int Lingua);
// How many lookups the program has made so far, for the figures of the benchmarks.
std::uint64_t NumeroRicercheTesti();

// The decimal form padded with '0' in front to Larghezza characters; never cut.
std::string IntToStrZeri(std::int32_t Valore, std::int32_t Larghezza);
std::string RipetiCarattere(char Carattere, std::int32_t Numero);
// ConSecondi 1: "hh:nn:ss   dd/mm/yy"; otherwise "hh:nn dd/mm/yy".
std::string DataOraToStr(std::uint8_t ConSecondi, double Momento);
// 16 x high + low; '0'..'9' and 'A'..'F' count, anything else counts 0.
std::uint8_t HexToByte(char Alta, char Bassa);

// Enables the main window's controls of format 11 (nothing when no main window is registered).
void AbilitaFunzioniVer11();
