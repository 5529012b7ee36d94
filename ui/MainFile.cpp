// The main window's File menu: configuration files, the kit save and the import of older files.
#include "ui/Main.h"

void TMainFrm::MiLeggiFileClick() {}
void TMainFrm::MiSalvaApertoFileClick() {}
void TMainFrm::MiSalvaConNomeFileClick() {}
void TMainFrm::MiSalvaFileKitClick() {}
void TMainFrm::MIImportaFileClick() {}
