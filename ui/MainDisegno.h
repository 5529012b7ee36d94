#pragma once
// What the main window's pages are built of: controls named and captioned as designed, fields
// as wide as what they hold, and forms laid out by Qt's layouts, so that a longer translation
// widens its column instead of being cut.
#include <QString>
#include <initializer_list>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

namespace platform::gui {
class TMaskEdit;
class TRadioGroup;
class TSpinEdit;
} // namespace platform::gui

namespace disegno {

// Space between a form's rows and between a label and its field, and around a form.
constexpr int SpazioRighe = 6;
constexpr int SpazioColonne = 10;
constexpr int MargineModulo = 12;

// Captions are the design's Italian texts, given in UTF-8.
QLabel* Etichetta(QWidget* Parent, const char* Nome, const char* Caption);
QCheckBox* Casella(QWidget* Parent, const char* Nome, const char* Caption);
QPushButton* Pulsante(QWidget* Parent, const char* Nome, const char* Caption);
// A number field as wide as the digits of its range, or as Cifre digits when more, so that the
// fields of one column line up.
platform::gui::TSpinEdit* Spin(QWidget* Parent, const char* Nome, int Min, int Max, int Cifre = 0);
// A field with a Delphi mask, as wide as the mask.
platform::gui::TMaskEdit* CampoMaschera(QWidget* Parent, const char* Nome, const char* Maschera);
// A field of at most MaxCaratteri characters of any kind.
platform::gui::TMaskEdit* CampoTesto(QWidget* Parent, const char* Nome, int MaxCaratteri);
// A list to choose from (not typed into) that widens with its longest item.
QComboBox* Lista(QWidget* Parent, const char* Nome, std::initializer_list<const char*> Voci);
platform::gui::TRadioGroup* Gruppo(QWidget* Parent, const char* Nome, const char* Caption,
                                   const std::vector<std::string>& Voci, int Colonne);
// A plain frame that keeps related options together.
QFrame* Riquadro(QWidget* Parent, const char* Nome);

// The width of Caratteri characters like Campione in the control's font, plus the frame.
int LarghezzaTesto(const QWidget* Controllo, int Caratteri, QChar Campione);
// The least width of a small window whose title bar must show Titolo whole, next to the window
// manager's icon and buttons; title bars use a bold face of about the window's font.
int LarghezzaPerTitolo(const QWidget* Finestra, const QString& Titolo);

// A form: labels in column 0, fields in column 1, with the usual spacings.
QGridLayout* Modulo(QWidget* Parent, int Margine = MargineModulo);
// A label and its field on the form's next row; the field keeps its own width.
void RigaModulo(QGridLayout* Modulo, QLabel* Etichetta, QWidget* Campo);
// A control across the form's two columns on its next row.
void RigaIntera(QGridLayout* Modulo, QWidget* Controllo);
// The page's panel takes the size its contents ask for, whatever the language.
void PannelloAdattato(QLayout* Layout);
// Hides each of the controls, as the design leaves them until something shows them.
void Nascondi(std::initializer_list<QWidget*> Controlli);

} // namespace disegno
