#include "config/ConfigPc.h"

#include "platform/diag/Diagnostica.h"
#include "platform/fs/SettingsFolder.h"

#include <cstring>
#include <optional>

TConfigPc ConfigPc{};

void ConfigPcDefault() {
    ConfigPc.Lingua = 0;
    ConfigPc.CodiciRadioEditabili = 0;
    ConfigPc.PortaLocaleGprs = 4000;
}

namespace {

// Set while the settings file could not be read when loaded last: the record put in its place.
std::optional<TConfigPc> recordSostitutivo;

} // namespace

void CaricaConfigPc() {
    std::string dati, errore, nome;
    switch (platform::ReadSettingsFile(NomeFileConfigPc, dati, sizeof(TConfigPc), &errore, &nome)) {
    case platform::ReadOutcome::Missing:
        recordSostitutivo.reset();
        ConfigPcDefault();
        return;
    case platform::ReadOutcome::Unreadable:
        ConfigPcDefault();
        recordSostitutivo = ConfigPc;
        platform::Diagnostica("ConfigPc",
                              nome + ": cannot be read (" + errore +
                                  "): the defaults are used for this run and the file is left as it is");
        return;
    case platform::ReadOutcome::Read:
        break;
    }
    recordSostitutivo.reset();
    // A shorter file sets only the leading bytes it holds; the rest keeps what it had.
    std::memcpy(&ConfigPc, dati.data(), dati.size());
    // A language the table has no column for (a damaged file) would make every text of the
    // program a "not found": it reads as a missing file's language.
    if (ConfigPc.Lingua < 0 || ConfigPc.Lingua >= NumLingue) ConfigPc.Lingua = 0;
}

bool SalvaConfigPc(const TConfigPc& Config, std::string* Errore) {
    if (recordSostitutivo && std::memcmp(&Config, &*recordSostitutivo, sizeof Config) == 0) return true;
    if (!platform::WriteSettingsFile(NomeFileConfigPc, &Config, sizeof Config, Errore)) return false;
    recordSostitutivo.reset(); // the user's settings are on disk now
    return true;
}
