#pragma once
// The event-queue window: the panel's event queue as a numbered list (type, source, date and
// time), read from the panel, cleared on the panel, loaded from and saved to ".cod" files.
// The window owns the event store: it is registered as the store the reply decoder fills for as
// long as the window lives, and the list is rebuilt from it only once the worker has ended.
#include "link/EventStore.h"

#include <QDialog>
#include <QString>
#include <array>
#include <string>

class QPushButton;
class QVBoxLayout;
class QTableWidget;
class QTableWidgetItem;

class TCodaEventiFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TCodaEventiFrm(QWidget* parent = nullptr);
    ~TCodaEventiFrm() override;

    // The window's texts in the configured language (the event texts included).
    void ImpostaTestiCoda();
    // Rebuilds the list from the store: a header row, then one row per event; an empty store
    // leaves one blank row.
    void MostraCodaEventi();

    QTableWidget* CodaEventiGrid;
    QPushButton* LeggiFileCodaBtn;
    QPushButton* SalvaFileCodaBtn;
    QPushButton* StampaCodaBtn;
    QPushButton* RiceviCodaBtn;
    QPushButton* EliminaCodaBtn;
    QPushButton* EsciBtn;

    // The overwrite and the clear-the-panel questions (Windows-1252).
    std::string StrSovrascrivere;
    std::string StrConfInvio;

    TCodaEventi Coda;

  public slots:
    void LeggiFileCodaBtnClick();
    void SalvaFileCodaBtnClick();
    void StampaCodaBtnClick();
    void RiceviCodaBtnClick();
    void EliminaCodaBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    // Column widths as designed, widened for what the columns show now; the window widens with
    // them as far as the screen allows.
    void AdattaColonne(const std::array<int, 4>& Testi);
    QTableWidgetItem* Cella(int Riga, int Colonna);

    QVBoxLayout* colonnaPulsanti_;

    // The texts loaded on showing: types 1..5 and 101..114, and the sources' texts.
    struct TTestiEventi {
        std::array<QString, 6> Allarme;          // types 1..5
        std::array<QString, 14> Inserimento;     // types 101..114
        std::array<QString, 12> FonteAllarme;    // sources 200..211
        QString InvioGprsOk, InvioGprsNo;        // 212..215, with the server's number
        QString AccecamentoSub;                  // 216
        std::array<QString, 3> FonteInserimento; // sources 200..202
    } testi_;
};

// The program's window, set when start-up creates it.
extern TCodaEventiFrm* CodaEventiFrm;
