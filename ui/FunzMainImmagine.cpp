// The configuration image and the main window's controls, each into the other.
#include "ui/Main.h"

void TMainFrm::AggiornaFormDaConfig() {}

void TMainFrm::AggiornaConfigDaForm() {}
