#include "config/DataOra.h"

#include <chrono>
#include <cmath>

namespace {
using namespace std::chrono;
constexpr sys_days Epoca = sys_days{year{1899} / December / 30};
constexpr std::int64_t MsAlGiorno = 86'400'000;
} // namespace

bool DataValida(int Anno, int Mese, int Giorno) {
    if (Anno < 1 || Anno > 9999 || Mese < 1 || Mese > 12 || Giorno < 1) return false;
    return year_month_day{year{Anno}, month{unsigned(Mese)}, day{unsigned(Giorno)}}.ok();
}

bool OraValida(int Ora, int Minuti, int Secondi, int Millisecondi) {
    return Ora >= 0 && Ora < 24 && Minuti >= 0 && Minuti < 60 && Secondi >= 0 && Secondi < 60 &&
           Millisecondi >= 0 && Millisecondi < 1000;
}

bool CodificaDataOra(int Anno, int Mese, int Giorno, int Ora, int Minuti, int Secondi, double& Risultato) {
    if (!DataValida(Anno, Mese, Giorno) || !OraValida(Ora, Minuti, Secondi)) return false;
    const auto giorni = (sys_days{year{Anno} / month{unsigned(Mese)} / day{unsigned(Giorno)}} - Epoca).count();
    const double frazione = (Ora * 3600.0 + Minuti * 60.0 + Secondi) / 86400.0;
    // Before the epoch the whole part counts back and the fraction still counts forward.
    Risultato = giorni >= 0 ? giorni + frazione : giorni - frazione;
    return true;
}

TDataOraScomposta DecodificaDataOra(double Valore) {
    TDataOraScomposta r;
    if (!std::isfinite(Valore) || std::fabs(Valore) > 3'000'000.0) return r;
    double intera = std::trunc(Valore);
    std::int64_t ms = std::llround(std::fabs(Valore - intera) * double(MsAlGiorno));
    if (ms >= MsAlGiorno) { // rounding reached the next day
        ms -= MsAlGiorno;
        intera += Valore >= 0 ? 1 : -1;
    }
    const year_month_day ymd{Epoca + days{std::int64_t(intera)}};
    r.Anno = int(ymd.year());
    r.Mese = int(unsigned(ymd.month()));
    r.Giorno = int(unsigned(ymd.day()));
    r.Ora = int(ms / 3'600'000);
    r.Minuti = int(ms / 60'000 % 60);
    r.Secondi = int(ms / 1000 % 60);
    r.Millisecondi = int(ms % 1000);
    return r;
}
