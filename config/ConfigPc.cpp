#include "config/ConfigPc.h"

#include "platform/diag/Diagnostica.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/fs/ReadFile.h"
#include "platform/fs/SafeFile.h"

#include <cstring>

TConfigPc ConfigPc{};

void ConfigPcDefault() {
    ConfigPc.Lingua = 0;
    ConfigPc.CodiciRadioEditabili = 0;
    ConfigPc.PortaLocaleGprs = 4000;
}

namespace {

// The file that could not be read when loaded last ("" when it was read or missing), and the
// record put in its place.
std::string fileIlleggibile;
TConfigPc recordSostitutivo{};

} // namespace

void CaricaConfigPc() {
    const std::string nome = platform::ProgramFolder() + NomeFileConfigPc;
    std::string dati, errore;
    switch (platform::ReadWholeFile(nome, dati, sizeof(TConfigPc), &errore)) {
    case platform::ReadOutcome::Missing:
        fileIlleggibile.clear();
        ConfigPcDefault();
        return;
    case platform::ReadOutcome::Unreadable:
        ConfigPcDefault();
        fileIlleggibile = nome;
        recordSostitutivo = ConfigPc;
        platform::Diagnostica("ConfigPc",
                              nome + ": cannot be read (" + errore +
                                  "): the defaults are used for this run and the file is left as it is");
        return;
    case platform::ReadOutcome::Read:
        break;
    }
    fileIlleggibile.clear();
    // A shorter file sets only the leading bytes it holds; the rest keeps what it had.
    std::memcpy(&ConfigPc, dati.data(), dati.size());
    // A language the table has no column for (a damaged file) would make every text of the
    // program a "not found": it reads as a missing file's language.
    if (ConfigPc.Lingua < 0 || ConfigPc.Lingua >= NumLingue) ConfigPc.Lingua = 0;
}

bool SalvaConfigPc(const TConfigPc& Config, std::string* Errore) {
    const std::string nome = platform::ProgramFolder() + NomeFileConfigPc;
    if (nome == fileIlleggibile && std::memcmp(&Config, &recordSostitutivo, sizeof Config) == 0) {
        if (Errore) *Errore = "it could not be read, and the defaults used in its place do not replace it";
        return false;
    }
    if (!platform::WriteFileAtomically(nome, &Config, sizeof Config, Errore)) return false;
    if (nome == fileIlleggibile) fileIlleggibile.clear(); // it holds the user's settings now
    return true;
}
