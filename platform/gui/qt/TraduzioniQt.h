#pragma once
// Qt's own texts (the Yes/No/OK/Cancel of the dialogs, the file chooser, the print preview) in the
// program's language, from the distribution's Qt translations.
namespace platform::gui {

// Lingua as the program settings hold it: 0 Italian, 1 English, 2 French, 3 Spanish. Loads only
// when the language changes; a translation that is not installed leaves Qt's English texts.
void ImpostaLinguaQt(int Lingua);

} // namespace platform::gui
