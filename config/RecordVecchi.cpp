#include "config/RecordVecchi.h"

void CopiaZonaVecchia(TConfigZona& Nuova, const TConfigZonaVecchia& Vecchia) {
    Nuova.Attiva = Vecchia.Attiva;
    Nuova.Ritardata = Vecchia.Ritardata;
    Nuova.AlertZona = Vecchia.AlertZona;
    Nuova.SingoloContatto = Vecchia.SingoloContatto;
    Nuova.TipoSensore = Vecchia.TipoSensore;
    Nuova.TecnologicoZona = Vecchia.TecnologicoZona;
    Nuova.ChimeVocale = Vecchia.ChimeVocale;
    Nuova.SirenaPerTecnoOExt = 0;
    Nuova.SuoneriaPerTecnoOExt = 0;
    Nuova.AvvisiSmsPerTecnoOExt = 0;
    Nuova.AvvisiVocPerTecnoOExt = 0;
    CopiaTesto(Nuova.Descrizione, Vecchia.Descrizione);
    Nuova.CodiceRadio = Vecchia.CodiceRadio;
}

void CopiaPerifericaVecchia(TConfigZona& Nuova, const TConfigZonaVecchia& Vecchia) {
    Nuova.Attiva = Vecchia.Attiva;
    Nuova.Ritardata = Vecchia.Ritardata;
    Nuova.AlertZona = Vecchia.AlertZona;
    Nuova.SingoloContatto = Vecchia.SingoloContatto;
    Nuova.TecnologicoZona = 0;
    Nuova.ChimeVocale = 0;
    Nuova.SirenaPerTecnoOExt = 0;
    Nuova.SuoneriaPerTecnoOExt = 0;
    Nuova.AvvisiSmsPerTecnoOExt = 0;
    Nuova.AvvisiVocPerTecnoOExt = 0;
    CopiaTesto(Nuova.Descrizione, Vecchia.Descrizione);
    Nuova.CodiceRadio = Vecchia.CodiceRadio;
}

void CopiaInseritoreVecchio(TConfigInseritore& Nuovo, const TConfigInseritoreVecchio& Vecchio) {
    CopiaTesto(Nuovo.Descrizione, Vecchio.Descrizione);
    Nuovo.TxAbilInvioSegnalazioni = 0;
    Nuovo.CodiceRadio = Vecchio.CodiceRadio;
}
