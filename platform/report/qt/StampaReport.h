#pragma once
// Reports on paper and in PDF files: an executed report's sheets drawn through Qt PrintSupport.
// The program's output is the print preview, from which the user prints on any printer of the
// system or, through the print dialog, into a PDF file; tests and benchmarks install an output
// that writes the PDF directly instead.
#include "platform/report/ProgettoReport.h"

#include <string>

class QPainter;

namespace platform::report::qt {

// Draws one sheet; the painter's origin is the paper's corner and PixelPerMm its scale.
void DisegnaFoglio(QPainter& Pittore, const TFoglio& Foglio, double PixelPerMm);
// Writes the whole document as a PDF file. False, with the reason, when the file cannot be written.
bool ScriviPdf(const TDocumentoReport& Documento, const std::string& Percorso, std::string& Errore);

// The print preview (modal, over the active window).
class TUscitaAnteprima final : public IUscitaReport {
  public:
    bool Stampa(const TDocumentoReport& Documento, std::string& Errore) override;
};

// A PDF file, written at once.
class TUscitaPdf final : public IUscitaReport {
  public:
    explicit TUscitaPdf(std::string Percorso) : percorso_(std::move(Percorso)) {}
    bool Stampa(const TDocumentoReport& Documento, std::string& Errore) override {
        return ScriviPdf(Documento, percorso_, Errore);
    }

  private:
    std::string percorso_;
};

// The output the program's printouts use: the installed one, else the preview. UI thread only.
IUscitaReport& UscitaReport();
// Installs an output (nullptr restores the preview); the caller keeps ownership.
void ImpostaUscitaReport(IUscitaReport* Uscita);

} // namespace platform::report::qt
