#include "config/ConfigPc.h"

#include "platform/fs/ProgramFolder.h"
#include "platform/fs/SafeFile.h"

#include <cstdio>
#include <cstring>

TConfigPc ConfigPc{};

void ConfigPcDefault() {
    ConfigPc.Lingua = 0;
    ConfigPc.CodiciRadioEditabili = 0;
    ConfigPc.PortaLocaleGprs = 4000;
}

void CaricaConfigPc() {
    const std::string nome = platform::ProgramFolder() + NomeFileConfigPc;
    std::FILE* f = std::fopen(nome.c_str(), "rb");
    if (!f) {
        ConfigPcDefault();
        return;
    }
    // A shorter file sets only the leading bytes it holds; the rest keeps what it had.
    unsigned char buf[sizeof(TConfigPc)];
    const std::size_t letti = std::fread(buf, 1, sizeof buf, f);
    const bool errore = std::ferror(f) != 0;
    const bool chiusura = std::fclose(f) == 0;
    if (errore || !chiusura) {
        ConfigPcDefault();
        return;
    }
    std::memcpy(&ConfigPc, buf, letti);
    // A language the table has no column for (a damaged file) would make every text of the
    // program a "not found": it reads as a missing file's language.
    if (ConfigPc.Lingua < 0 || ConfigPc.Lingua >= NumLingue) ConfigPc.Lingua = 0;
}

bool SalvaConfigPc(const TConfigPc& Config, std::string* Errore) {
    return platform::WriteFileAtomically(platform::ProgramFolder() + NomeFileConfigPc, &Config, sizeof Config,
                                         Errore);
}
