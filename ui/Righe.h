#pragma once
// What the main window's run-time rows share: the controls they are built of, the refresh of the
// window, the learned radio code of the keypad, peripheral and radio rows, and the options of the
// wired and radio zone rows.
#include "config/GlobalsVar.h"

#include <QRect>
#include <QtCore/qnamespace.h>
#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;

namespace platform::gui {
class TMaskEdit;
class TRadioGroup;
class TShape;
} // namespace platform::gui

namespace righe {

// A change in one control reaches the image first, then every control that depends on it.
void Rinfresca();

// The controls of a row, at their design place. A label given no size is sized to its caption.
QLabel* Etichetta(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione);
QCheckBox* Casella(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione);
QPushButton* Pulsante(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione);
platform::gui::TRadioGroup* Gruppo(QWidget* Riga, const char* Nome, int Colonne,
                                   const std::vector<std::string>& Voci, const QRect& Posizione);
// A masked edit in the fixed-pitch font; MaxCaratteri 0 = the mask's own length only.
platform::gui::TMaskEdit* Campo(QWidget* Riga, const char* Nome, const char* Maschera, int MaxCaratteri,
                                const QRect& Posizione);
// The lamp that shows a learned code: a light grey circle until the image says otherwise.
platform::gui::TShape* Spia(QWidget* Riga, const char* Nome, const QRect& Posizione);
// The row's border ("ShapeBordo"): an outline that keeps filling the row whatever its size.
platform::gui::TShape* Bordo(QFrame* Riga);

// The learned radio code of a keypad, peripheral or radio row: the code edit, typed by hand only
// when the program settings allow it, and the button that forgets the code.
class TRigaCodiceRadio {
  public:
    virtual ~TRigaCodiceRadio() = default;

    QPushButton* CancellaRadioBtn = nullptr;
    QLineEdit* CodiceRadio = nullptr;

    // A typed character: hexadecimal digits (upper case) and Backspace pass when codes are
    // editable; Key becomes 0 for every character that must not reach the edit.
    void CodiceRadioKeyPress(QObject* Sender, char& Key);
    // A key released: six characters in the edit become the row's code.
    void CodiceRadioKeyUp(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    // A key pressed (Qt::Key): Delete forgets the code when codes are editable; no key goes on to
    // the edit's own editing (Key becomes 0), typed characters come through the key press.
    void CodiceRadioKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void CancellaRadioBtnClick() { Azzera(); }

  protected:
    // Makes CancellaRadioBtn and CodiceRadio and routes the edit's keys to the handlers above.
    void CreaCodiceRadio(QFrame* Riga, const QRect& PosPulsante, const QRect& PosEdit);
    // The code of the record the row stands for; null when its slot lies beyond the image.
    virtual TCodiceRadio* CodiceDellaRiga() const = 0;

  private:
    void Azzera();
};

// Where the controls common to the wired and radio zone rows stand in a row of each kind.
struct TPosizioniZona {
    QRect Numero, Alert, Tecnologico, AvvisiSms, AvvisiVoc, Sirena, Suoneria, TipoProgr, TipoSensore, Settore,
        Descrizione;
};

// The options of a wired or radio zone. The siren and the bell of a 24-hour or external zone
// exclude each other; the controls whose choice changes what the row shows refresh the window.
class TRigaZona {
  public:
    virtual ~TRigaZona() = default;

    QLabel* NumeroZonaLabel = nullptr;
    QCheckBox* AlertZonaAbilitato = nullptr;
    QCheckBox* TecnologicoZonaAbilitato = nullptr;
    QCheckBox* SetAvvisiSmsPerTecnoOExt = nullptr;
    QCheckBox* SetAvvisiVocPerTecnoOExt = nullptr;
    QCheckBox* SetSirenaPerTecnoOExt = nullptr;
    QCheckBox* SetSuoneriaPerTecnoOExt = nullptr;
    platform::gui::TRadioGroup* TipoProgrZona = nullptr;
    platform::gui::TRadioGroup* SetTipoSensore = nullptr;
    platform::gui::TRadioGroup* SetSettoreInserito = nullptr;
    platform::gui::TMaskEdit* DescrizioneZona = nullptr;

    void TecnologicoZonaAbilitatoClick() { Rinfresca(); }
    void SetTipoSensoreClick() { Rinfresca(); }
    void SetSettoreInseritoClick() { Rinfresca(); }
    void SetSirenaPerTecnoOExtClick();
    void SetSuoneriaPerTecnoOExtClick();

  protected:
    // Makes the controls above (the sector choice hidden) and connects their handlers.
    void CreaControlliZona(QFrame* Riga, const TPosizioniZona& Posizioni);
};

} // namespace righe
