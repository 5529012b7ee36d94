#pragma once
// What the main window asks of the panel link: the connection type chosen in the link settings
// window and the modem flag of the link component. The options window registers its link component
// as this when it builds it; until then (and in tests without one) the program behaves as a cable
// link, the type a fresh installation starts with. No Qt here, so the link's own units can
// implement it.
namespace collegamento {

// Item indexes of the connection-type choice TipoConnessione; not the value the settings file
// stores (ConnessioneCavo, ConnessioneModem), which counts the other way round.
constexpr int VoceCavo = 0;
constexpr int VoceModem = 1;

class ICollegamento {
  public:
    virtual ~ICollegamento() = default;
    // The item index of TipoConnessione.
    virtual int TipoConnessione() const = 0;
    // The link component's ModemSerialePresente.
    virtual void ImpostaModemSerialePresente(bool Presente) = 0;
};

// nullptr restores the cable default. The caller keeps ownership and unregisters before it goes.
void RegistraCollegamento(ICollegamento* Collegamento);
// Never nullptr.
ICollegamento& Collegamento();

} // namespace collegamento
