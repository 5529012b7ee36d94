#include "ui/FrameBidir.h"

TFrameBidir::TFrameBidir(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    resize(640, 41);
    ShapeBordo = righe::Bordo(this);
    DescrizionePerifericaLabel = righe::Etichetta(this, "DescrizionePerifericaLabel", "", {20, 10, 80, 13});
    DescrizionePeriferica =
        righe::Campo(this, "DescrizionePeriferica", "ccccccccccccccccccccccccc;0; ", 25, {120, 10, 200, 22});
    BidirAppresoLabel = righe::Etichetta(this, "BidirAppresoLabel", "Appreso", {360, 10, 0, 0});
    LedBidirAppreso = righe::Spia(this, "LedBidirAppreso", {420, 10, 20, 20});
    CreaCodiceRadio(this, {480, 10, 56, 25}, {560, 10, 50, 22});
}

TCodiceRadio* TFrameBidir::CodiceDellaRiga() const {
    return Tag >= 0 && Tag < NumBidirezionali ? &ConfigCentrale.Zone[PrimoBidirezionale + Tag].CodiceRadio
                                              : nullptr;
}
