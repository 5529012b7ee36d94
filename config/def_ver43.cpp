#include "config/def_ver43.h"

void ConvertiDaVer43(TConfigCentrale& C, const TConfigCentraleVer43& V) {
    IniziaConversione(C, V);

    C.ChimeCentraleAbilitato = V.ChimeCentraleAbilitato;
    C.LivelloAntiAccecamento = V.LivelloAntiAccecamento;
    C.ZoneEsterneSuoneria_NU = V.ZoneEsterneSuoneria_NU;
    C.ControlloPorteInserito = V.ControlloPorteInserito;
    C.SupervisioneSensori = V.SupervisioneSensori;
    C.AbilAutoEsclusLineeAperte_NU = V.AbilAutoEsclusLineeAperte_NU;
    C.PercorsoInserito_NU = V.PercorsoInserito_NU;
    C.AllarmeSingoloSirena = V.AllarmeSingoloSirena;
    C.BeepInseriti = V.BeepInseriti;
    C.AssociazioneReleAux1 = V.AssociazioneReleAux1;

    C.TempoUscitaSec = V.TempoUscitaSec;
    C.TempoIngressoSec = V.TempoIngressoSec;
    C.TempoPreallarmeSec = V.TempoPreallarmeSec;
    C.TempoSirenaSec = V.TempoSirenaSec;
    C.MinutiPermanenzaAr = V.MinutiPermanenzaAr;
    C.TipoTempoSupervisione = V.TipoTempoSupervisione;

    CopiaTesto(C.CodiceCentraleSms, V.CodiceCentraleSms);
    C.NumeroChiamateVoce = V.NumeroChiamateVoce;
    C.GiorniScadenzaSim = V.GiorniScadenzaSim;
    C.TipoRichiestaCredito = V.TipoRichiestaCredito;
    CopiaTesto(C.NumTelefonoCredito, V.NumTelefonoCredito);
    CopiaTesto(C.TestoSmsCredito, V.TestoSmsCredito);
    for (int k = 0; k < 5; ++k)
        CopiaTesto(C.DescrizioneMessaggio[k], V.DescrizioneMessaggio[k]);

    // The Vm409 has 63 zone records: wired lines 4 to 9 (slots 63..68) keep their defaults.
    for (int i = 0; i < NumZoneVer43; ++i)
        CopiaZonaVecchia(C.Zone[i], V.Zone[i]);
    for (int k = 0; k < NumBidirezionali; ++k)
        CopiaPerifericaVecchia(C.Zone[PrimoBidirezionale + k], V.Periferiche[k]);
    // Byte 4 of the sixteen peripheral records goes to the sixteen slots from 63 on (wired lines
    // 4..9, then peripherals 1..10), the others' to 0. Files converted earlier carry exactly this,
    // and a peripheral slot gives byte 4 no meaning, so the placement is kept as it always was.
    for (int k = 0; k < NumBidirezionali; ++k)
        C.Zone[NumZoneVer43 + k].TipoSensore = V.Periferiche[k].TipoSensore;
    for (int slot = NumZoneVer43 + NumBidirezionali; slot < NumZone; ++slot)
        C.Zone[slot].TipoSensore = 0;
    for (int k = 0; k < NumInseritori; ++k)
        CopiaInseritoreVecchio(C.Inseritori[k], V.Inseritori[k]);
    for (int n = 0; n < NumNumTel; ++n)
        C.NumTel[n] = V.NumTel[n];

    C.AbilContactId = V.AbilContactId;
    C.InvioGprs = V.InvioGprs;
    C.AbilServerGprs1 = V.AbilServerGprs1;
    C.AbilServerGprs2 = V.AbilServerGprs2;
    C.GiorniLifeTest = V.GiorniLifeTest;
    C.OraLifeTest = V.OraLifeTest;
    C.MinLifeTest = V.MinLifeTest;
    CopiaVigilanzaServerECid(C, V);

    // What the Vm409 does not have.
    C.InibizioneSirenaInParziale = 0;
    C.InvioSmsCreditoConEiv = 0;
    C.SensoriEsterniInclusi = 0;
    C.FlagSelezOperatoreManuale = 0;
    C.LinguaCentrale = 0;
    C.AbilitaMessaggiVocaliCambioStato = 0;
    C.InvioSmsSpvMancataSensori = 0;
    C.SubSonicoPresente = 0;
    C.AssociazioneReleAux2 = 0;
    C.AssociazioneReleAux3 = 0;
    C.SimVoce = 1;
    C.TempoSuoneriaEsterniSec = 30;
    C.NumeroRing = 1;
    C.CodiceTxRadio = 0;
    C.NumTelefonoOperatore_NU.Scrivi("");
    C.TestoFissoSms.Scrivi("");
    C.CodeOperatoreManuale.Scrivi("00000");
    C.CidInvioLinkTest1 = 0;
    C.CidInvioLinkTest2 = 0;
    C.CidInvioContactIdEsterni1 = 0;
    C.CidInvioContactIdEsterni2 = 0;
    C.CidRcvr1.Scrivi("");
    C.CidRcvr2.Scrivi("");
    C.CidPrefAccount1.Scrivi("");
    C.CidPrefAccount2.Scrivi("");
    C.CidAccount1.Scrivi("");
    C.CidAccount2.Scrivi("");
    C.APNUsername.Scrivi("");
    C.APNPassword.Scrivi("");

    C.IdCentrale = IdVm415;
    C.VersioneCentrale = VersioneFormato11;
}
