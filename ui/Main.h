#pragma once
// The main window: the ten pages of the configuration, the File and Options menus, and the life
// of the program from the window's creation to its closing.
#include "config/GlobalsVar.h"
#include "ui/MainControlli.h"

#include <QMainWindow>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

class QKeyEvent;
class QWheelEvent;
class TFrameBidir;
class TFrameInser;
class TFrameNumTel;
class TFrameSensFilo;
class TFrameSensRadio;
namespace platform::report {
class TProgettoReport;
}

// The two fixed pauses of the closing: after the window is hidden and at the very end, so that
// whatever the closing set going (the options window's UDP restart, the link's port) can settle.
// Tests shorten them.
struct TTempiChiusura {
    std::chrono::milliseconds DopoNascosta{500};
    std::chrono::milliseconds Finale{1000};
};
extern TTempiChiusura TempiChiusuraMainFrm;

class TMainFrm : public QMainWindow, public TControlliMainFrm, public IControlliMainFrm {
    Q_OBJECT
  public:
    explicit TMainFrm(QWidget* parent = nullptr);
    ~TMainFrm() override;

    // ---- IControlliMainFrm: the controls by their names, from any thread.
    void ImpostaVisibile(std::string_view NomeControllo, bool Visibile) override;
    void ImpostaAbilitato(std::string_view NomeControllo, bool Abilitato) override;

    // Translates the window's texts into the language of the program settings, then the rows'.
    void TraduciForm();
    // The rows' texts and choice lists, and whether their radio codes can be typed.
    void TraduciFrame();
    // The image into the controls, and the controls into the image.
    void AggiornaFormDaConfig();
    void AggiornaConfigDaForm();

    // Radio rows per page for a scroll box of that client height and rows of that client height:
    // (height - 50) div (row height + 1), held to 1..10.
    static int CalcolaZoneRadioPerPagina(int AltezzaScrollBox, int AltezzaRiga);
    // The last page of the 60 radio zones, from 0: pages = 60 / rows per page, rounded up.
    static int UltimaPaginaRadio(int ZonePerPagina);
    // The window's first size: the design's client size, held so that with its frame it fits the
    // screen area the desktop leaves free (the pages scroll, so every control stays reachable).
    static QSize PrimaDimensione(const QSize& Progetto, const QRect& Disponibile, const QMargins& Cornice);

    // The message names' length in the image.
    static constexpr int CaratteriNomeMessaggio = 16;

    // A panel operation has ended: what waited for it (the radio rows laid out for a new height).
    void FineOperazioneCentrale();

    int ZoneRadioPerPagina() const { return ZoneRadioPerPagina_; }
    int PaginaRadio() const { return PaginaRadio_; }
    std::uint8_t OperazioneModemInCorso() const { return OperazioneModemInCorso_; }

    // The run-time rows, from CreaFrame to DistruggiFrame; a row that could not be made is null.
    std::array<TFrameInser*, 16> FrameInser{};
    std::array<TFrameBidir*, 16> FrameBidir{};
    std::array<TFrameSensFilo*, 9> FrameSensFilo{};
    std::array<TFrameSensRadio*, 10> FrameSensRadio{};
    std::array<TFrameNumTel*, 8> FrameNumTel{};

    // The configuration printout (MainStampa.cpp): the zone row being fed to the report, 1..85
    // (row R is zone slot R - 1), and the events of its data connection.
    std::int32_t RigaStampa = 0;
    void RepConnectionCfgFirst();
    void RepConnectionCfgEOF(bool& Eof);
    void RepConnectionCfgValidateRow(bool& RigaValida);

    // Translated texts kept for the dialogs (Windows-1252).
    std::string StrSovrascrivere, StrConfInvio, StrConnessioneOk, StrConnessioneNo, StrCopiaPrec,
        StrCodaNoFileCfg, StrCodaFileCfgOk, StrCfgVuota;

    // The desktop has told the window's frame, and the window, frame and all, has been fitted into
    // the screen area the desktop leaves free (never, where no desktop frames the window).
    bool CorniceNota() const { return corniceNota_; }

  signals:
    // The window has closed: the program ends.
    void Chiusa();
    // CorniceNota has just become true.
    void AdattataAllaCornice();

  public slots:
    void MiLeggiFileClick();
    void MiSalvaApertoFileClick();
    void MiSalvaConNomeFileClick();
    void MiSalvaFileKitClick();
    void MiStampaConfigurazioneClick();
    void MIImportaFileClick();
    void MIAttivaConnessioneModemClick();
    void MIDisattivaConnessioneModemClick();
    void MiRiceviCentraleClick();
    void MiInviaCentraleClick();
    void MiCodaEventiClick();
    void MiEsciClick();
    void MiOpzioniClick();
    void ScrollBoxSensoriRadioResize();

    // A refresh: the controls into the image, then the image into the controls, so that the
    // controls that depend on the one clicked follow at once.
    void Aggiorna();
    void TabellaEventiCid1BtnClick();
    void TabellaEventiCid2BtnClick();
    void TerminaConnessioneRemotaGprsBtnClick();
    // Two buttons stored hidden: default descriptions for every record, and the remote link's log.
    void TraduciBtnClick();
    void TestGprsBtnClick();
    // Handlers that no control calls: boards and options of older panels, which refresh the window.
    void AbilSchedaEsp1Click() { Aggiorna(); }
    void AbilSchedaEsp2Click() { Aggiorna(); }
    void AbilSchedaEsp3Click() { Aggiorna(); }
    void AbilSchedaEsp4Click() { Aggiorna(); }
    void SetModemPresenteClick() { Aggiorna(); }
    void SetFlagAutoReinsEsclusioneClick() { Aggiorna(); }
    void SetControlloPorteInseritoClick() { Aggiorna(); }
    void TipoCentraleClick() { Aggiorna(); }
    void SetAbilAutoInserimentoClick() { Aggiorna(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreaMenu();
    void CreaPagine();
    void CreaControlli();

    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& CanClose);
    // Tells every wait the program may be in to end: the closing runs inside whichever of them
    // processed its message, and the program ends only once they have returned.
    void TerminaAttese();

    // The run-time rows of the five row pages.
    void CreaFrame();
    void DistruggiFrame();

    // Connects the window's own controls to their commands.
    void CollegaComandi();
    // The surveillance numbers take digits and commas only: true when the key must not arrive.
    static bool FiltroNumeroVigilanza(QKeyEvent* Evento);
    // The wheel scrolls the page on show, sideways with Shift; always handled.
    bool RotellaSullaPagina(QWheelEvent* Evento);

    // Shows the modem connect and disconnect entries only for a modem link.
    void AggiornaMenuModem();
    // Before the first showing: the first size on the window's screen, and, when it had to be
    // held, the window in the middle of the free area. Until the desktop has framed the window its
    // frame is a guess: once the real one is known, a frame that overflows the free area is put
    // right (VerificaCornice, at each event of the window until then).
    void AdattaAlloSchermo();
    void Colloca(const QMargins& Cornice);
    void VerificaCornice();
    // The client height of the first radio row: the design height until the rows exist.
    int AltezzaRigaRadio() const;
    // The radio page's panel as tall as the rows of one page.
    void AdattaPannelloRadio();
    // Pauses the closing while the program goes on processing its messages.
    static void AttendiElaborandoMessaggi(std::chrono::milliseconds Durata);

    QWidget* Controllo(std::string_view Nome) const;
    QAction* Voce(std::string_view Nome) const;

    // The configuration's report project while the printout runs, else null.
    platform::report::TProgettoReport* RPCfg = nullptr;

    int ZoneRadioPerPagina_ = 1;
    int PaginaRadio_ = 0;
    std::uint8_t OperazioneModemInCorso_ = 0;
    bool resizeRadioAttivo_ = false;
    bool mostrata_ = false;
    bool corniceNota_ = false;
    bool radioDopoOperazione_ = false;
    bool chiusa_ = false; // from the start of the closing on

  private:
    // The design of the pages that are not made of rows, page by page.
    void CreaPaginaInstallazione();
    void CreaPaginaCentrale();
    void CreaPaginaMessaggi();
    void CreaPaginaTelefono();
    void CreaPaginaSim();
    void CreaPaginaCid();
};

extern TMainFrm* MainFrm;
