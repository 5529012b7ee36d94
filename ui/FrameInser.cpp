#include "ui/FrameInser.h"

#include <QCheckBox>
#include <QLabel>
#include <cstdio>

TFrameInser::TFrameInser(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    resize(720, 81);
    ShapeBordo = righe::Bordo(this);
    DescrizioneInserLabel = righe::Etichetta(this, "DescrizioneInserLabel", "", {20, 10, 120, 13});
    DescrizioneInser = righe::Campo(this, "DescrizioneInser", "cccccccccccccccc;0; ", 16, {160, 10, 120, 22});
    SetTxAbilInvioSegnalazioni =
        righe::Casella(this, "SetTxAbilInvioSegnalazioni", "Abil. Segnal.", {320, 12, 100, 17});
    InserAppresoLabel = righe::Etichetta(this, "InserAppresoLabel", "Appreso", {440, 12, 0, 0});
    LedInserAppreso = righe::Spia(this, "LedInserAppreso", {500, 10, 20, 20});
    CreaCodiceRadio(this, {560, 10, 56, 25}, {640, 10, 50, 22});

    QCheckBox** inserimento[] = {&AbilInsF1, &AbilInsF2, &AbilInsF3, &AbilInsF4};
    QCheckBox** disinserimento[] = {&AbilDisF1, &AbilDisF2, &AbilDisF3, &AbilDisF4};
    for (int i = 0; i < 4; ++i) {
        char nome[32], caption[32]; // room for any int: the compiler checks it
        const int x = 320 + 100 * i;
        std::snprintf(nome, sizeof nome, "AbilInsF%d", i + 1);
        std::snprintf(caption, sizeof caption, "Abil.Ins.F%d", i + 1);
        *inserimento[i] = righe::Casella(this, nome, caption, {x, 41, 96, 17});
        std::snprintf(nome, sizeof nome, "AbilDisF%d", i + 1);
        std::snprintf(caption, sizeof caption, "Abil.Dis.F%d", i + 1);
        *disinserimento[i] = righe::Casella(this, nome, caption, {x, 58, 96, 17});
    }
}

TCodiceRadio* TFrameInser::CodiceDellaRiga() const {
    return Tag >= 0 && Tag < NumInseritori ? &ConfigCentrale.Inseritori[Tag].CodiceRadio : nullptr;
}
