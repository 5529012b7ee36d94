// The main window's configuration printout: the texts of the report project "repcfg.rep" from
// the image and from the captions the window shows in its language, and the zone rows fed one
// slot at a time.
#include "ui/MainStampa.h"

#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "platform/report/ProgettoReport.h"
#include "platform/report/qt/StampaReport.h"
#include "ui/FrameInser.h"
#include "ui/FrameNumTel.h"
#include "ui/FrameRadio.h"
#include "ui/LegameImmagine.h"
#include "ui/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <string_view>
#include <utility>

namespace {

using platform::report::TGestoreProgetto;
using platform::report::TPaginaReport;

constexpr const char* FileProgettoCfg = "repcfg.rep";

template <class W> std::string Caption(const W* Controllo) {
    return Controllo ? platform::gui::ToCp1252(Controllo->text()) : std::string();
}

std::string Caption(const QComboBox* Lista) {
    return Lista ? platform::gui::ToCp1252(Lista->currentText()) : std::string();
}

// "%-Ns": blanks up to N characters; a longer text is kept whole.
std::string Colonna(std::string Testo, std::size_t Larghezza) {
    if (Testo.size() < Larghezza) Testo.append(Larghezza - Testo.size(), ' ');
    return Testo;
}

std::string Numero(unsigned Valore) {
    return std::to_string(Valore);
}

// A cell of the telephone numbers' grid: five characters, under its number's head.
std::string Cella(std::uint8_t Flag) {
    return Flag == 1 ? "X    " : "     ";
}

// The items of one page of the project. A page or item the file lacks is told by the project.
class TPagina {
  public:
    TPagina(TGestoreProgetto& Gestore, std::string_view Nome)
        : gestore_(Gestore), pagina_(Gestore.FindPage(Nome)) {}
    void Testo(std::string_view Voce, const std::string& Testo) {
        if (platform::report::TVoceReport* v = gestore_.FindText(pagina_, Voce)) v->SetText(Testo);
    }
    void Memo(std::string_view Voce, const std::string& Testo) {
        if (platform::report::TVoceReport* v = gestore_.FindMemo(pagina_, Voce)) v->SetText(Testo);
    }

  private:
    TGestoreProgetto& gestore_;
    TPaginaReport* pagina_;
};

} // namespace

std::string StringaBool(std::uint8_t Valore) {
    return Valore == 1 ? ": TRUE" : ": FALSE";
}

void TMainFrm::MiStampaConfigurazioneClick() {
    AggiornaConfigDaForm();
    const TConfigCentrale& c = ConfigCentrale;

    platform::report::TProgettoReport progetto(FileProgettoCfg);
    platform::report::TConnessioneDati RepConnectionCfg("RepConnectionCfg");
    RepConnectionCfg.OnFirst = [this] { RepConnectionCfgFirst(); };
    RepConnectionCfg.OnEOF = [this](bool& Eof) { RepConnectionCfgEOF(Eof); };
    RepConnectionCfg.OnValidateRow = [this](bool& RigaValida) { RepConnectionCfgValidateRow(RigaValida); };
    progetto.AggiungiConnessione(RepConnectionCfg);
    if (!progetto.Open()) return;
    // The zone rows reach the project through the window while the report runs, and only then.
    struct TDurante {
        platform::report::TProgettoReport*& p;
        ~TDurante() { p = nullptr; }
    } durante{RPCfg};
    RPCfg = &progetto;
    TGestoreProgetto& gestore = progetto.ProjMan();
    const std::string pagina = GetMessaggio("STRGLOBAL_PAGINA");

    TPagina(gestore, "ReportCfg.ZonePage").Testo("PaginaL", pagina);

    {
        TPagina p(gestore, "ReportCfg.MainPage");
        const auto SiNo = [&](std::string_view Voce, const QCheckBox* Casella, std::uint8_t Valore) {
            p.Testo(Voce, Caption(Casella) + StringaBool(Valore));
        };
        const auto Valore = [&](std::string_view Voce, const QLabel* Etichetta, const std::string& Testo) {
            p.Testo(Voce, Caption(Etichetta) + ": " + Testo);
        };
        p.Testo("Titolo", "Report");
        p.Testo("PaginaL", pagina);
        p.Testo("CodiceCentrale", "");
        Valore("DataInstallazione", DataInstallazioneLabel, c.DataInstallazionePc.Leggi());
        Valore("DataUltimaModifica", DataUltimaModificaLabel, c.DataUltimaModificaPc.Leggi());
        p.Testo("Note", Caption(NoteLabel));
        p.Memo("NoteMemo", c.CommentiPc.Leggi());
        SiNo("SetAlertCentraleAbilitato", SetChimeCentraleAbilitato, c.ChimeCentraleAbilitato);
        p.Testo("SetAntiAccecamentoInserito",
                Caption(SetLivelloAntiAccecamentoLabel) + " " + Numero(c.LivelloAntiAccecamento));
        SiNo("SetControlloPorteInserito", SetControlloPorteInserito, c.ControlloPorteInserito);
        SiNo("SetSupervisioneSensori", SetSupervisioneSensori, c.SupervisioneSensori);
        p.Testo("SetAbilAutoEsclusLineeAperte", "");
        p.Testo("SetPercorsoInserito", "");
        SiNo("SetAllarmeSingoloSirena", SetAllarmeSingoloSirena, c.AllarmeSingoloSirena);
        SiNo("SetBeepInseriti", SetBeepInseriti, c.BeepInseriti);
        Valore("SetTempoIngressoSec", SecondiTempoIngressoLabel, Numero(c.TempoIngressoSec));
        Valore("SetTempoUscitaSec", SecondiTempoUscitaLabel, Numero(c.TempoUscitaSec));
        Valore("SetTempoPreallarmeSec", SecondiSuoneriaPreallarmeLabel, Numero(c.TempoPreallarmeSec));
        Valore("SetTempoSirenaSec", SecondiTempoSirenaLabel, Numero(c.TempoSirenaSec));
        Valore("SetMinutiPermanenzaAR", SetMinutiPermanenzaArLabel, Numero(c.MinutiPermanenzaAr));
        Valore("SetNumeroChiamateVoce", SetNumeroChiamateVoceLabel, Numero(c.NumeroChiamateVoce));
        Valore("SetAssociazioneReleAux1", SetAssociazioneReleAux1Label, Caption(SetAssociazioneReleAux1));
        Valore("SetAssociazioneReleAux2", SetAssociazioneReleAux2Label, Caption(SetAssociazioneReleAux2));
        Valore("SetAssociazioneReleAux3", SetAssociazioneReleAux3Label, Caption(SetAssociazioneReleAux3));
        Valore("SetCodiceTxRadio", SetCodiceTxRadioLabel, SetCodiceTxRadioEdit->Text());
        const int tipo = SetTipoRichiestaCredito->ItemIndex();
        const std::vector<std::string> tipi = SetTipoRichiestaCredito->Items();
        p.Testo("TipoSim", tipo >= 0 && tipo < int(tipi.size()) ? tipi[std::size_t(tipo)] : std::string());
        p.Testo("NumTelCredito", c.TipoRichiestaCredito != 'C' ? Caption(SetNumTelefonoCreditoLabel) + ": " +
                                                                     c.NumTelefonoCredito.Leggi()
                                                               : std::string());
        p.Testo("TestoSmsCredito", c.TipoRichiestaCredito == 'S'
                                       ? Caption(SetTestoSmsCreditoLabel) + ": " + c.TestoSmsCredito.Leggi()
                                       : std::string());
        Valore("GiorniScadenzaSim", SetGiorniScadenzaSimLabel, Numero(c.GiorniScadenzaSim));
    }

    {
        TPagina p(gestore, "ReportCfg.InseritoriPage");
        p.Testo("PaginaL", pagina);
        for (int k = 1; k <= NumInseritori; ++k) {
            const TFrameInser* r = FrameInser[std::size_t(k - 1)];
            p.Testo("Inseritore" + std::to_string(k),
                    Colonna(r ? Caption(r->DescrizioneInserLabel) : std::string(), 25) + "    " +
                        Colonna(r ? r->DescrizioneInser->Text() : std::string(), 16) + "    " +
                        immagine::TestoCodiceRadio(c.Inseritori[k - 1].CodiceRadio));
        }
    }

    {
        TPagina p(gestore, "ReportCfg.ModemPage");
        p.Testo("PaginaL", pagina);
        p.Testo("SetCodiceCentraleSms", Caption(CodiceCentraleSmsLabel) + ": " + c.CodiceCentraleSms.Leggi());
        p.Testo("SetNumTelCentrale", Caption(NumTelCentraleLabel) + ": " + c.NumTelefonoCentrale.Leggi());
        p.Testo("SetTipoSupervisione", Caption(TempoSupervisione) + ": " + Caption(SetTipoTempoSupervisione));
        for (int n = 1; n <= NumNumTel; ++n) {
            const TConfigNumTel& t = c.NumTel[n - 1];
            p.Testo("AbilNumTelLabel" + std::to_string(n),
                    GetMessaggio("STRMAIN_ABILNUMTELSMS" + std::to_string(n)));
            p.Testo("AbilNumTel" + std::to_string(n),
                    Cella(t.AbilNumTelSms) + t.NumeroTelefono.Leggi() + "     ");
        }
        std::string teste = Colonna("", 20);
        for (int n = 1; n <= NumNumTel; ++n)
            teste += std::to_string(n) + "    ";
        p.Testo("TCfgInt", teste);

        using TFlag = std::pair<QCheckBox * TFrameNumTel::*, std::uint8_t TConfigNumTel::*>;
        static constexpr TFlag flag[] = {
            {&TFrameNumTel::SetAbilTxAllarmi, &TConfigNumTel::AbilTxAllarmi},
            {&TFrameNumTel::SetAbilTxStatoAlim, &TConfigNumTel::AbilTxStatoAlim},
            {&TFrameNumTel::SetAbilTxPanico, &TConfigNumTel::AbilTxPanico},
            {&TFrameNumTel::SetAbilTxTeleAlr, &TConfigNumTel::AbilTxTeleAlr},
            {&TFrameNumTel::SetAbilTxStatoIns, &TConfigNumTel::AbilTxStatoIns},
            {&TFrameNumTel::SetAbilTxSupervisione, &TConfigNumTel::AbilTxSupervisione},
            {&TFrameNumTel::SetAbilChiamataDirettaAllarme, &TConfigNumTel::AbilChiamataDirettaAllarme},
            {&TFrameNumTel::SetAbilChiamataDirettaPanico, &TConfigNumTel::AbilChiamataDirettaPanico},
            {&TFrameNumTel::SetAbilChiamataDirettaTeleAlr, &TConfigNumTel::AbilChiamataDirettaTeleAlr},
        };
        const TFrameNumTel* prima = FrameNumTel[0];
        for (std::size_t f = 0; f < std::size(flag); ++f) {
            std::string riga = Colonna(prima ? Caption(prima->*flag[f].first) : std::string(), 20);
            for (const TConfigNumTel& t : c.NumTel)
                riga += Cella(t.*flag[f].second);
            p.Testo("TCfg" + std::to_string(f + 1), riga);
        }
    }

    // The preview and the PDF carry the name the user knows the printout by: the menu entry's.
    progetto.ExecuteReport("ReportCfg", platform::report::qt::UscitaReport(),
                           platform::gui::ToCp1252(MiStampaConfigurazione->iconText()));
    progetto.Close();
}

void TMainFrm::RepConnectionCfgFirst() {
    RigaStampa = 0;
}

void TMainFrm::RepConnectionCfgEOF(bool& Eof) {
    ++RigaStampa;
    Eof = RigaStampa > NumZone;
}

void TMainFrm::RepConnectionCfgValidateRow(bool& RigaValida) {
    RigaValida = true;
    if (RigaStampa < 1 || RigaStampa > NumZone || !RPCfg) return;
    const int slot = RigaStampa - 1;
    const TConfigZona& z = ConfigCentrale.Zone[slot];
    const bool radio = slot < PrimaZonaFilo;
    const bool filo = slot >= PrimaZonaFilo && slot < PrimoBidirezionale;
    // Every zone is printed with the captions of the first radio row.
    const TFrameSensRadio* r = FrameSensRadio[0];

    TPagina p(RPCfg->ProjMan(), "ReportCfg.ZonePage");
    p.Testo("DescrizioneZona", Caption(r ? r->DescrizioneZonaLabel : nullptr) + ": " + z.Descrizione.Leggi());
    p.Testo("SetAlertZonaAbilitato",
            radio || filo ? Caption(r ? r->AlertZonaAbilitato : nullptr) + StringaBool(z.AlertZona)
                          : std::string());
    p.Testo("SetSingoloContatto",
            radio ? Caption(r ? r->SetSingoloContatto : nullptr) + StringaBool(z.SingoloContatto)
                  : std::string());
    p.Testo("SetProgrSensore", !(radio || filo) ? "" : z.Attiva != 1 ? "D" : z.Ritardata != 1 ? "I" : "R");
    p.Testo("SetTipoGestSensore", !(radio || filo)     ? ""
                                  : z.TipoSensore == 0 ? "T"
                                  : z.TipoSensore == 1 ? "P"
                                                       : "E");
    p.Testo("CodiceRadio", filo ? std::string()
                                : Caption(r ? r->CodiceRadioLabel : nullptr) + ": " +
                                      immagine::TestoCodiceRadio(z.CodiceRadio));
}
