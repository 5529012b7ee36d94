#include "config/ChiaviLingua.h"

#include "config/GetMessage_11.h"

std::string ChiaveDiFamiglia(const TFamigliaChiavi& Famiglia, int Indice) {
    return Famiglia.Prefisso + IntToStrZeri(Indice, Famiglia.Cifre) + Famiglia.Suffisso;
}
