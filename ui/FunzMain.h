#pragma once
// The main window's companion routines.
class QComboBox;

// Replaces the combo's items with the 27 relay functions, in the order of their stored values.
void CaricaAssociazioniRele(QComboBox* Combo);
