#include "platform/report/qt/StampaReport.h"

#include "platform/gui/qt/QtText.h"

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTextLayout>
#include <cmath>

namespace platform::report::qt {

namespace {

using platform::gui::FromCp1252;
using platform::gui::ToCp1252;

constexpr double MillimetriPerPollice = 25.4;
constexpr double PuntiMinimiMemo = 4;
constexpr double PassoRiduzioneMemo = 0.5;
constexpr int RisoluzionePdf = 600;

IUscitaReport* UscitaInstallata = nullptr;

QFont Carattere(const TCarattere& c) {
    QFont f(QString::fromStdString(c.Famiglia));
    // Without the family itself, the nearest of its kind: columns built of blanks need fixed pitch.
    f.setStyleHint(c.Fisso ? QFont::TypeWriter : QFont::SansSerif);
    f.setFixedPitch(c.Fisso);
    f.setPointSizeF(c.Punti);
    f.setBold(c.Grassetto);
    f.setItalic(c.Corsivo);
    return f;
}

// A one-line text as drawn: its left edge and its width, in device pixels.
struct TRigaDisegnata {
    double X;
    double Larghezza;
};

TRigaDisegnata Misura(const TElementoStampa& e, const QString& Testo, const QFontMetricsF& Metrica,
                      double k) {
    const double largo = Metrica.horizontalAdvance(Testo);
    double x = e.Posizione.X * k;
    if (e.Allineamento == TAllineamento::Centro)
        x += (e.Posizione.L * k - largo) / 2;
    else if (e.Allineamento == TAllineamento::Destra)
        x += e.Posizione.L * k - largo;
    return {x, largo};
}

// Lays the text out in the box's width at the font's size; the height it takes.
double Impagina(QTextLayout& Layout, double Larghezza) {
    QTextOption opzioni;
    opzioni.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Layout.setTextOption(opzioni);
    Layout.beginLayout();
    double y = 0;
    for (QTextLine riga = Layout.createLine(); riga.isValid(); riga = Layout.createLine()) {
        riga.setLineWidth(Larghezza);
        riga.setPosition(QPointF(0, y));
        y += riga.height();
    }
    Layout.endLayout();
    return y;
}

// Notes run to several lines; a text taller than its box is printed smaller rather than cut.
void DisegnaMemo(QPainter& Pittore, const TElementoStampa& e, double k) {
    QString testo = FromCp1252(e.Testo);
    testo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    testo.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    testo.replace(QLatin1Char('\n'), QChar::LineSeparator);
    if (testo.isEmpty()) return;
    const QRectF box(e.Posizione.X * k, e.Posizione.Y * k, e.Posizione.L * k, e.Posizione.A * k);
    QFont f = Carattere(e.Carattere);
    for (double punti = e.Carattere.Punti;; punti -= PassoRiduzioneMemo) {
        f.setPointSizeF(punti);
        QTextLayout layout(testo, f, Pittore.device());
        const double alto = Impagina(layout, box.width());
        if (alto <= box.height() || punti - PassoRiduzioneMemo < PuntiMinimiMemo) {
            layout.draw(&Pittore, box.topLeft());
            return;
        }
    }
}

void Disegna(const TDocumentoReport& Documento, QPagedPaintDevice& Dispositivo, QPainter& Pittore) {
    const double k = Dispositivo.logicalDpiX() / MillimetriPerPollice;
    for (std::size_t i = 0; i < Documento.Fogli.size(); ++i) {
        const TFoglio& foglio = Documento.Fogli[i];
        if (i > 0) {
            const QPageSize misura(QSizeF(foglio.Larghezza, foglio.Altezza), QPageSize::Millimeter);
            if (!Dispositivo.pageLayout().pageSize().isEquivalentTo(misura)) Dispositivo.setPageSize(misura);
            Dispositivo.newPage();
        }
        DisegnaFoglio(Pittore, foglio, k);
    }
}

QPageSize MisuraPrimoFoglio(const TDocumentoReport& Documento) {
    const TFoglio& f = Documento.Fogli.front();
    return QPageSize(QSizeF(f.Larghezza, f.Altezza), QPageSize::Millimeter);
}

} // namespace

void DisegnaFoglio(QPainter& Pittore, const TFoglio& Foglio, double k) {
    for (const TElementoStampa& e : Foglio.Elementi) {
        if (e.Tipo == TTipoVoce::Memo) {
            DisegnaMemo(Pittore, e, k);
            continue;
        }
        if (e.Testo.empty()) continue;
        const QFont f = Carattere(e.Carattere);
        const QFontMetricsF metrica(f, Pittore.device());
        const QString testo = FromCp1252(e.Testo);
        TRigaDisegnata riga = Misura(e, testo, metrica, k);
        if (e.Dopo >= 0 && e.Dopo < int(Foglio.Elementi.size())) {
            // The page number stands one blank after its caption, however long the language makes it.
            const TElementoStampa& rif = Foglio.Elementi[std::size_t(e.Dopo)];
            const QFontMetricsF metricaRif(Carattere(rif.Carattere), Pittore.device());
            const QString testoRif = FromCp1252(rif.Testo);
            const TRigaDisegnata r = Misura(rif, testoRif, metricaRif, k);
            riga.X =
                testoRif.isEmpty() ? r.X : r.X + r.Larghezza + metricaRif.horizontalAdvance(QLatin1Char(' '));
        }
        Pittore.setFont(f);
        Pittore.drawText(QPointF(riga.X, e.Posizione.Y * k + metrica.ascent()), testo);
    }
}

bool ScriviPdf(const TDocumentoReport& Documento, const std::string& Percorso, std::string& Errore) {
    if (Documento.Fogli.empty()) {
        Errore = "the report has no page";
        return false;
    }
    // The previous file stays whole until the new one is complete.
    QSaveFile file(QFile::decodeName(Percorso.c_str()));
    if (!file.open(QIODevice::WriteOnly)) {
        Errore = ToCp1252(file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(RisoluzionePdf);
        pdf.setTitle(FromCp1252(Documento.Titolo));
        pdf.setCreator(QStringLiteral("Centrale Vm415"));
        pdf.setPageSize(MisuraPrimoFoglio(Documento));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter pittore;
        if (!pittore.begin(&pdf)) {
            Errore = "the PDF cannot be started";
            file.cancelWriting();
            return false;
        }
        Disegna(Documento, pdf, pittore);
        pittore.end();
    }
    if (!file.commit()) {
        Errore = ToCp1252(file.errorString());
        return false;
    }
    return true;
}

bool TUscitaAnteprima::Stampa(const TDocumentoReport& Documento, std::string& Errore) {
    if (Documento.Fogli.empty()) {
        Errore = "the report has no page";
        return false;
    }
    QPrinter stampante(QPrinter::HighResolution);
    stampante.setFullPage(true);
    stampante.setDocName(FromCp1252(Documento.Titolo));
    stampante.setPageSize(MisuraPrimoFoglio(Documento));
    QPrintPreviewDialog anteprima(&stampante, QApplication::activeWindow());
    QObject::connect(&anteprima, &QPrintPreviewDialog::paintRequested, &anteprima, [&Documento](QPrinter* p) {
        QPainter pittore;
        if (pittore.begin(p)) Disegna(Documento, *p, pittore);
    });
    anteprima.exec();
    return true;
}

IUscitaReport& UscitaReport() {
    static TUscitaAnteprima anteprima;
    return UscitaInstallata ? *UscitaInstallata : anteprima;
}

void ImpostaUscitaReport(IUscitaReport* Uscita) {
    UscitaInstallata = Uscita;
}

} // namespace platform::report::qt
