#pragma once
// The options window: the program's language, whether radio codes may be typed by hand, the local
// UDP port of the remote link, and the program's only link component KivModCom1 with its link
// settings window. It lives for the whole run; the main window shows it modally from its options
// menu and closes it once more when the program ends, shown or not, which saves "config.cfg".
#include "config/ConfigPc.h"
#include "link/KivFormModCom.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TKivModCom;
namespace platform::gui {
class TSpinEdit;
}

// How the program's link component waits around its port and whether it follows device changes.
// Read when the options window is created; tests shorten the waits.
extern TKivModComFrm::TOpzioni OpzioniKivModCom1;

class TOpzioniFrm : public QDialog {
    Q_OBJECT
  public:
    // Builds the controls and KivModCom1 (its link settings window, the port list, the link
    // thread, "comconfig.cfg" and the port), then loads "config.cfg" and restarts the UDP server.
    explicit TOpzioniFrm(QWidget* parent = nullptr);
    // KivModCom1 goes with the window: its link thread is stopped and its port closed.
    ~TOpzioniFrm() override;

    // Shows the window modally; returns when it closes (its settings are then saved).
    int Mostra();

    // The settings into the controls, and the link's attempts and time-out by connection type.
    void MostraConfigPc(const TConfigPc& Config);
    // The controls into the settings.
    void LeggiConfigPc(TConfigPc& Config) const;
    // The window's texts and the link component's, in the configured language.
    void ImpostaTestiOpzioni();

    QLabel* LinguaLabel;
    QComboBox* LinguaCb;
    QCheckBox* EditCodiciRadioEditabili;
    QLabel* LabelPortaLocaleGprs;
    platform::gui::TSpinEdit* EditPortaLocaleGprs;
    QPushButton* SetupComBtn;
    QLabel* VersioneLabel;
    QPushButton* ButtonOK;
    std::unique_ptr<TKivModCom> KivModCom1;

  public slots:
    void SetupComBtnClick();
    // Neither is reached from the window's own controls. The second shows the program's GSM
    // signal-test window modally on the link component.
    void ButtonDefaultClick();
    void TestSegnaleModemBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int r) override;

  private:
    class CollegamentoLink;

    void FormCreate();
    void FormShow();
    void FormClose();
    // Attempts and reply time-out of the link from the connection type chosen in its settings.
    void ImpostaTentativiLink();

    std::unique_ptr<CollegamentoLink> collegamento_;
};

// The program's window, set when start-up creates it.
extern TOpzioniFrm* OpzioniFrm;
