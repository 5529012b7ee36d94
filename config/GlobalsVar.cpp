#include "config/GlobalsVar.h"

#include "platform/clock/Clock.h"

#include <atomic>

TConfigCentrale ConfigCentrale{};

namespace {
std::atomic<IControlliMainFrm*> controlliMainFrm{nullptr};
}

void RegistraControlliMainFrm(IControlliMainFrm* Controlli) { controlliMainFrm.store(Controlli); }
IControlliMainFrm* ControlliMainFrm() { return controlliMainFrm.load(); }

void ConfigDefault(TConfigCentrale& C) {
    C.CodiceCentrale = 0;
    C.IdCentrale = 0;
    C.VersioneCentrale = 0;
    C.DataInstallazionePc.Scrivi("");
    C.DataUltimaModificaPc.Scrivi("");
    C.CommentiPc.Scrivi("");
    C.DataOraOrologio = platform::NowDateTime();
    C.NumTelefonoCentrale.Scrivi("");

    C.ChimeCentraleAbilitato = 0;
    C.InibizioneSirenaInParziale = 0;
    C.ZoneEsterneSuoneria_NU = 0;
    C.ControlloPorteInserito = 0;
    C.SupervisioneSensori = 0;
    C.AbilAutoEsclusLineeAperte_NU = 0;
    C.PercorsoInserito_NU = 0;
    C.AllarmeSingoloSirena = 0;
    C.BeepInseriti = 0;
    C.InvioSmsCreditoConEiv = 0;
    C.SimVoce = 1;
    C.SensoriEsterniInclusi = 0;
    C.FlagSelezOperatoreManuale = 0;
    C.LinguaCentrale = 0;
    C.AbilitaMessaggiVocaliCambioStato = 0;
    // AttivaSirenaPerTecnologico_NU is left as it is.
    C.InvioSmsSpvMancataSensori = 0;
    C.SubSonicoPresente = 0;
    C.LivelloAntiAccecamento = 0;

    C.AssociazioneReleAux1 = 0;
    C.AssociazioneReleAux2 = 0;
    C.AssociazioneReleAux3 = 0;
    C.UscitaAux1Nc = 0;
    C.UscitaAux2Nc = 0;
    C.UscitaAux3Nc = 0;
    C.InvioAvvisiPerSensoriEsterni_NU = 0;

    C.TempoUscitaSec = 0;
    C.TempoIngressoSec = 0;
    C.TempoPreallarmeSec = 0;
    C.TempoSuoneriaEsterniSec = 0;
    C.TempoSirenaSec = 0;
    C.MinutiPermanenzaAr = 10;
    C.TipoTempoSupervisione = 0;

    C.CodiceCentraleSms.Scrivi("");
    C.NumeroChiamateVoce = 0;
    C.NumeroRing = 0;
    C.CodiceTxRadio = 0;
    C.GiorniScadenzaSim = 0;
    C.TipoRichiestaCredito = 'C';
    C.NumTelefonoCredito.Scrivi("");
    C.TestoSmsCredito.Scrivi("");
    C.NumTelefonoOperatore_NU.Scrivi("");
    C.TestoFissoSms.Scrivi("");
    C.CodeOperatoreManuale.Scrivi("00000");
    for (auto& d : C.DescrizioneMessaggio) d.Scrivi("");

    for (auto& z : C.Zone) {
        z.Attiva = 0;
        z.Ritardata = 0;
        z.AlertZona = 0;
        z.SingoloContatto = 0;
        z.TipoSensore = 0;
        z.TecnologicoZona = 0;
        z.ChimeVocale = 0;
        z.SirenaPerTecnoOExt = 0;
        z.SuoneriaPerTecnoOExt = 0;
        z.AvvisiSmsPerTecnoOExt = 0;
        z.AvvisiVocPerTecnoOExt = 0;
        z.Descrizione.Scrivi("");
        z.CodiceRadio = {};
    }
    for (auto& k : C.Inseritori) {
        k.Descrizione.Scrivi("");
        k.TxAbilInvioSegnalazioni = 0;
        k.CodiceRadio = {};
    }
    for (auto& n : C.NumTel) {
        n.AbilNumTelSms = 0;
        n.AbilTxAllarmi = 0;
        n.AbilTxStatoIns = 0;
        n.AbilTxStatoAlim = 0;
        n.AbilTxPanico = 0;
        n.AbilTxTeleAlr = 0;
        n.AbilTxSupervisione = 0;
        n.AbilChiamataDirettaAllarme = 0;
        n.AbilChiamataDirettaPanico = 0;
        n.AbilChiamataDirettaTeleAlr = 0;
        n.NumeroTelefono.Scrivi("");
    }

    C.AbilContactId = 0;
    C.InvioGprs = 0;
    C.AbilServerGprs1 = 0;
    C.AbilServerGprs2 = 0;
    C.CidInvioLinkTest1 = 0;
    C.CidInvioLinkTest2 = 0;
    C.CidInvioContactIdEsterni1 = 0;
    C.CidInvioContactIdEsterni2 = 0;
    C.GiorniLifeTest = 0;
    C.OraLifeTest = 0;
    C.MinLifeTest = 0;
    C.CidRcvr1.Scrivi("");
    C.CidRcvr2.Scrivi("");
    C.CidPrefAccount1.Scrivi("");
    C.CidPrefAccount2.Scrivi("");
    C.CidAccount1.Scrivi("");
    C.CidAccount2.Scrivi("");
    C.TelVigilanza1.Scrivi("");
    C.TelVigilanza2.Scrivi("");
    C.APN.Scrivi("");
    C.APNUsername.Scrivi("");
    C.APNPassword.Scrivi("");
    C.IndirizzoIPServer1.Scrivi("");
    C.PortaServer1 = 0;
    C.IndirizzoIPServer2.Scrivi("");
    C.PortaServer2 = 0;
    for (int i = 0; i < NumEventiCid; ++i) {
        C.TabellaEventiCid1[i].Scrivi("000");
        C.TabellaEventiCid2[i].Scrivi("000");
    }

    if (IControlliMainFrm* m = ControlliMainFrm()) {
        for (const char* nome : {"SetTempoPreallarmeSec", "SecondiSuoneriaPreallarmeLabel", "SetTempoSuoneriaEsterniSec",
                                 "SecondiTempoSuoneriaEsterniLabel", "SetSensoriEsterniInclusi"})
            m->ImpostaVisibile(nome, true);
        for (const char* nome : {"SetSuoneriaSettoreF1", "SetSuoneriaSettoreF2", "SetSuoneriaSettoreF3",
                                 "SetSuoneriaSettoreF4", "SetAbilitazioneAvvisiSettoreF1",
                                 "SetAbilitazioneAvvisiSettoreF2", "SetAbilitazioneAvvisiSettoreF3",
                                 "SetAbilitazioneAvvisiSettoreF4", "SetTempoSuoneriaSec", "SecondiTempoSuoneriaLabel"})
            m->ImpostaVisibile(nome, false);
    }
}
