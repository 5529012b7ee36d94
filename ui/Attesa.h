#pragma once
// The wait window of the panel operations. The menu command (or the event-queue window) starts a
// worker and then shows this window modally; the worker moves the gauge, sets the caption and, when
// the operation is over, writes the outcome and shows Okbutton, with which the user closes it.
//
// The operations below are the worker's: it calls them from its own thread, and each is carried
// out on the UI thread through the hand-over (platform::UiThread()->RunAndWait), so the worker never
// touches the window itself. A worker starts before the window shows: what it asks before the
// window has set its own texts is kept and carried out right after them, in the order asked, so
// the texts of the showing never overwrite the worker's caption, gauge or button.
#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QProgressBar;
class QPushButton;

class TAttesaFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TAttesaFrm(QWidget* parent = nullptr);

    QProgressBar* ProgressBar;
    QPushButton* Okbutton;

    // Shows the window modally over Origine, the window whose command started the operation (none:
    // over no window in particular); returns when the user presses Okbutton.
    int Mostra(QWidget* Origine);
    // UI thread, before a new operation's worker starts: what an earlier worker asked after its
    // window was closed belongs to no showing and is dropped.
    void NuovaOperazione();

    // The worker's operations (any thread).
    void ImpostaMassimoGauge(int Massimo);
    void AzzeraGauge();
    void AvanzaGauge();
    void NascondiOkbutton();
    void MostraOkbutton();
    // Text in Windows-1252, as the language table gives it.
    void ImpostaCaption(const std::string& Testo);
    void Ridisegna();

    // The frame has no buttons, and neither Escape nor the window manager closes the window:
    // only Okbutton does, once the worker has shown it.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void FormShow();
    void Esegui(std::function<void()> Richiesta);

    // UI thread only.
    bool testiImpostati_ = false;
    QPointer<QWidget> origine_;
    std::vector<std::function<void()>> inAttesa_;
};

extern TAttesaFrm* AttesaFrm;
