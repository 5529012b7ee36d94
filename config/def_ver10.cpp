#include "config/def_ver10.h"

void ConvertiDaVer10(TConfigCentrale& C, const TConfigCentraleVer10& V) {
    IniziaConversione(C, V);

    C.ChimeCentraleAbilitato = V.ChimeCentraleAbilitato;
    C.InibizioneSirenaInParziale = V.InibizioneSirenaInParziale;
    C.ZoneEsterneSuoneria_NU = V.ZoneEsterneSuoneria_NU;
    C.ControlloPorteInserito = V.ControlloPorteInserito;
    C.SupervisioneSensori = V.SupervisioneSensori;
    C.AbilAutoEsclusLineeAperte_NU = V.AbilAutoEsclusLineeAperte_NU;
    C.PercorsoInserito_NU = V.PercorsoInserito_NU;
    C.AllarmeSingoloSirena = V.AllarmeSingoloSirena;
    C.BeepInseriti = V.BeepInseriti;
    C.InvioSmsCreditoConEiv = V.InvioSmsCreditoConEiv;
    C.SimVoce = V.SimVoce;
    C.SensoriEsterniInclusi = V.SensoriEsterniInclusi;
    C.FlagSelezOperatoreManuale = V.FlagSelezOperatoreManuale;
    C.LinguaCentrale = V.LinguaCentrale;
    C.AbilitaMessaggiVocaliCambioStato = V.AbilitaMessaggiVocaliCambioStato;
    C.UscitaAux1Nc = V.UscitaAux1Nc;
    C.UscitaAux2Nc = V.UscitaAux2Nc;
    C.UscitaAux3Nc = V.UscitaAux3Nc;
    C.LivelloAntiAccecamento = V.LivelloAntiAccecamento;
    C.AssociazioneReleAux1 = V.AssociazioneReleAux1;
    C.AssociazioneReleAux2 = V.AssociazioneReleAux2;
    C.AssociazioneReleAux3 = V.AssociazioneReleAux3;

    C.TempoUscitaSec = V.TempoUscitaSec;
    C.TempoIngressoSec = V.TempoIngressoSec;
    C.TempoPreallarmeSec = V.TempoPreallarmeSec;
    C.TempoSirenaSec = V.TempoSirenaSec;
    C.MinutiPermanenzaAr = V.MinutiPermanenzaAr;
    C.TipoTempoSupervisione = V.TipoTempoSupervisione;

    CopiaTesto(C.CodiceCentraleSms, V.CodiceCentraleSms);
    C.NumeroChiamateVoce = V.NumeroChiamateVoce;
    C.NumeroRing = V.NumeroRing;
    C.CodiceTxRadio = V.CodiceTxRadio;
    C.GiorniScadenzaSim = V.GiorniScadenzaSim;
    C.TipoRichiestaCredito = V.TipoRichiestaCredito;
    CopiaTesto(C.NumTelefonoCredito, V.NumTelefonoCredito);
    CopiaTesto(C.TestoSmsCredito, V.TestoSmsCredito);
    CopiaTesto(C.NumTelefonoOperatore_NU, V.NumTelefonoOperatore_NU);
    CopiaTesto(C.TestoFissoSms, V.TestoFissoSms);
    CopiaTesto(C.CodeOperatoreManuale, V.CodeOperatoreManuale);
    for (int k = 0; k < 5; ++k)
        CopiaTesto(C.DescrizioneMessaggio[k], V.DescrizioneMessaggio[k]);

    // Format 1.0 has no ninth wired line: slot 68 keeps its defaults.
    for (int i = 0; i < NumZoneVer10; ++i)
        CopiaZonaVecchia(C.Zone[i], V.Zone[i]);
    for (int k = 0; k < NumBidirezionali; ++k)
        CopiaZonaVecchia(C.Zone[PrimoBidirezionale + k], V.Periferiche[k]);
    for (int k = 0; k < NumInseritori; ++k)
        CopiaInseritoreVecchio(C.Inseritori[k], V.Inseritori[k]);
    for (int n = 0; n < NumNumTel; ++n)
        C.NumTel[n] = V.NumTel[n];

    C.AbilContactId = V.AbilContactId;
    C.InvioGprs = V.InvioGprs;
    C.AbilServerGprs1 = V.AbilServerGprs1;
    C.AbilServerGprs2 = V.AbilServerGprs2;
    C.CidInvioLinkTest1 = V.CidInvioLinkTest1;
    C.CidInvioLinkTest2 = V.CidInvioLinkTest2;
    C.CidInvioContactIdEsterni1 = V.CidInvioContactIdEsterni1;
    C.CidInvioContactIdEsterni2 = V.CidInvioContactIdEsterni2;
    C.GiorniLifeTest = V.GiorniLifeTest;
    C.OraLifeTest = V.OraLifeTest;
    C.MinLifeTest = V.MinLifeTest;
    CopiaTesto(C.CidRcvr1, V.CidRcvr1);
    CopiaTesto(C.CidRcvr2, V.CidRcvr2);
    CopiaTesto(C.CidPrefAccount1, V.CidPrefAccount1);
    CopiaTesto(C.CidPrefAccount2, V.CidPrefAccount2);
    CopiaTesto(C.CidAccount1, V.CidAccount1);
    CopiaTesto(C.CidAccount2, V.CidAccount2);
    CopiaTesto(C.APNUsername, V.APNUsername);
    CopiaTesto(C.APNPassword, V.APNPassword);
    CopiaVigilanzaServerECid(C, V);

    C.InvioSmsSpvMancataSensori = 0;
    C.SubSonicoPresente = 0;
    C.InvioAvvisiPerSensoriEsterni_NU = 0;
    C.TempoSuoneriaEsterniSec = 30;

    C.IdCentrale = IdVm415;
    C.VersioneCentrale = VersioneFormato11;
}
