#include "config/OperatoriGsm.h"

#include "platform/diag/Diagnostica.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

using namespace testing_support;

namespace {

class ListaFinta : public IListaElementi {
  public:
    std::vector<std::string> Elementi{"stale item"};
    int Pulizie = 0;
    void Clear() override {
        ++Pulizie;
        Elementi.clear();
    }
    void Add(const std::string& e) override { Elementi.push_back(e); }
};

class OperatoriTest : public testing::Test {
  protected:
    ListaFinta lista;
    void SetUp() override {
        for (auto& o : OperatoriGsm)
            o = {};
    }
    int Carica(const std::string& testo) { return CaricaOperatoriGsm(testo, lista); }
    using Voci = std::vector<std::string>;
};

} // namespace

TEST(LeggiCampoCsv, EndsAtSeparatorOrLineEndOrFileEnd) {
    std::string_view in("ab;c\r\nd\ne");
    std::string campo;
    EXPECT_EQ(LeggiCampoCsv(in, campo), FineCampoCsv::PuntoEVirgola);
    EXPECT_EQ(campo, "ab");
    EXPECT_EQ(LeggiCampoCsv(in, campo), FineCampoCsv::Cr);
    EXPECT_EQ(campo, "c");
    EXPECT_EQ(LeggiCampoCsv(in, campo), FineCampoCsv::Lf);
    EXPECT_EQ(campo, "");
    EXPECT_EQ(LeggiCampoCsv(in, campo), FineCampoCsv::Lf);
    EXPECT_EQ(campo, "d");
    EXPECT_EQ(LeggiCampoCsv(in, campo), FineCampoCsv::FineFile);
    EXPECT_EQ(campo, "e");
    EXPECT_EQ(LeggiCampoCsv(in, campo), FineCampoCsv::FineFile);
    EXPECT_EQ(campo, "");
}

TEST_F(OperatoriTest, FirstLineGivesItemZeroAndItsCode) {
    EXPECT_EQ(Carica("Vodafone;Italia;22210\r\nTIM;Italia;22201\r\n"), 2);
    EXPECT_EQ(lista.Elementi, (Voci{"Vodafone - Italia", "TIM - Italia"}));
    EXPECT_EQ(lista.Pulizie, 1);
    EXPECT_EQ(OperatoriGsm[0].Leggi(), "22210");
    EXPECT_EQ(CodiceOperatore(1), "22201");
    EXPECT_EQ(IndiceOperatore("22201"), 1);
}

TEST_F(OperatoriTest, LastLineWithoutLineEndKeepsItsWholeCode) {
    EXPECT_EQ(Carica("A;X;11111\r\nB;Y;22222"), 2);
    EXPECT_EQ(CodiceOperatore(1), "22222");
}

TEST_F(OperatoriTest, LineEndsOfEitherKindYieldEveryLine) {
    for (const char* fine : {"\n", "\r\n"}) {
        SCOPED_TRACE(fine == std::string("\n") ? "LF" : "CR LF");
        const std::string f = fine;
        EXPECT_EQ(Carica("A;X;11111" + f + "B;Y;22222" + f + "C;Z;33333" + f), 3);
        EXPECT_EQ(lista.Elementi, (Voci{"A - X", "B - Y", "C - Z"}));
    }
}

TEST_F(OperatoriTest, ShortAndMalformedLinesAreSkippedAndTheNextIsRead) {
    for (const char* fine : {"\n", "\r\n"}) {
        const std::string f = fine;
        SCOPED_TRACE(f.size());
        // A two-field line, a one-field line whose next line would pass for a code, empty name or
        // country, codes of 4 and 6 characters, an empty line: none uses up an entry.
        EXPECT_EQ(Carica("Solo;Due" + f + "Wind3;Italia;22288" + f + "Uno" + f + "Tre;Italia;22299" + f +
                         ";X;11111" + f + "A;;11111" + f + "Corto;X;1234" + f + "Lungo;X;123456" + f + f +
                         "Ultimo;Y;22201;altro;campo" + f),
                  3);
        EXPECT_EQ(lista.Elementi, (Voci{"Wind3 - Italia", "Tre - Italia", "Ultimo - Y"}));
        EXPECT_EQ(CodiceOperatore(0), "22288");
        EXPECT_EQ(CodiceOperatore(1), "22299");
        EXPECT_EQ(CodiceOperatore(2), "22201");
    }
}

TEST_F(OperatoriTest, CodesAreTakenAsTheyAre) {
    EXPECT_EQ(Carica("Prova;X;ab12Z\r\n"), 1);
    EXPECT_EQ(IndiceOperatore("ab12Z"), 0);
    EXPECT_EQ(IndiceOperatore("AB12Z"), -1);
}

TEST_F(OperatoriTest, At500OperatorsTheRestIsIgnored) {
    std::string testo;
    for (int i = 0; i < 501; ++i)
        testo += "Op" + std::to_string(i) + ";X;" + std::to_string(10000 + i) + "\r\n";
    EXPECT_EQ(Carica(testo), 500);
    EXPECT_EQ(lista.Elementi.size(), 500u);
    EXPECT_EQ(lista.Elementi.back(), "Op499 - X");
    EXPECT_EQ(CodiceOperatore(499), "10499");
    EXPECT_EQ(IndiceOperatore("10500"), -1);
}

TEST_F(OperatoriTest, LookupsOutsideTheTable) {
    Carica("A;X;11111\r\n");
    EXPECT_EQ(CodiceOperatore(-1), "00000");
    EXPECT_EQ(CodiceOperatore(500), "00000");
    EXPECT_EQ(CodiceOperatore(0), "11111");
    EXPECT_EQ(IndiceOperatore("99999"), -1);
}

TEST_F(OperatoriTest, TheSameCodeTwiceSelectsTheLaterLine) {
    Carica("A;X;11111\r\nB;X;22222\r\nC;X;11111\r\n");
    EXPECT_EQ(IndiceOperatore("11111"), 2);
}

TEST_F(OperatoriTest, AShorterFileLeavesNoCodesOfTheLongerOne) {
    Carica("A;X;11111\r\nB;X;22222\r\nC;X;33333\r\n");
    EXPECT_EQ(Carica("C;X;33333\r\n"), 1);
    // Entry 2 would otherwise still hold 33333 and win over item 0, which the combo does have.
    EXPECT_EQ(IndiceOperatore("33333"), 0);
    EXPECT_EQ(IndiceOperatore("22222"), -1);
}

namespace {
class ListaCheFallisce : public ListaFinta {
  public:
    void Add(const std::string& e) override {
        if (e == "Rotto - X") throw std::runtime_error("item refused");
        ListaFinta::Add(e);
    }
};
} // namespace

TEST_F(OperatoriTest, AFailureOnOneLineSkipsThatLineOnly) {
    ListaCheFallisce fallisce;
    std::vector<std::string> log;
    platform::CatturaDiagnostica cattura([&](std::string_view riga) { log.emplace_back(riga); });
    int caricati = -1;
    EXPECT_NO_THROW(caricati = CaricaOperatoriGsm("A;X;11111\r\nRotto;X;22222\r\nB;X;33333\r\n", fallisce));
    EXPECT_EQ(caricati, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"vm415: OperatoriGsm: line skipped: item refused"}));
    EXPECT_EQ(fallisce.Elementi, (Voci{"A - X", "B - X"}));
    // The table stays aligned with the items the combo does have.
    EXPECT_EQ(CodiceOperatore(1), "33333");
    EXPECT_EQ(IndiceOperatore("22222"), -1);
}

TEST_F(OperatoriTest, MissingFileEmptiesTheComboOnly) {
    TempFolder dir;
    ProgramFolderScope scope(dir.Path());
    Carica("A;X;11111\r\n");
    lista.Elementi = {"A - X"};
    EXPECT_EQ(CaricaOperatoriGsm(lista), 0);
    EXPECT_TRUE(lista.Elementi.empty());
    EXPECT_EQ(CodiceOperatore(0), "11111");
}

TEST_F(OperatoriTest, FileBesideTheProgramIsRead) {
    TempFolder dir;
    ProgramFolderScope scope(dir.Path());
    dir.Write("operatorigsm.csv", std::string("A;X;11111\r\n"));
    EXPECT_EQ(CaricaOperatoriGsm(lista), 1);
    EXPECT_EQ(lista.Elementi, (Voci{"A - X"}));
}

TEST_F(OperatoriTest, TheShippedTableLoadsWholeWithOneItemPerCodeAndCountry) {
    TempFolder dir;
    ProgramFolderScope scope(dir.Path());
    CopyShippedFile("operatorigsm.csv", dir.Path());
    const auto byte = dir.Read("operatorigsm.csv");
    int righe = 0;
    for (std::size_t i = 0; i < byte.size(); ++i)
        if (byte[i] == '\n') {
            ++righe;
            ASSERT_TRUE(i > 0 && byte[i - 1] == '\r') << "line " << righe << " does not end with CR LF";
        }
    const int caricati = CaricaOperatoriGsm(lista);
    EXPECT_EQ(caricati, righe);
    EXPECT_GT(caricati, 100);
    EXPECT_LE(caricati, 500);
    std::set<std::string> voci;
    for (int i = 0; i < caricati; ++i) {
        const std::string codice = CodiceOperatore(i);
        EXPECT_EQ(codice.find_first_not_of("0123456789"), std::string::npos) << codice;
        EXPECT_TRUE(voci.insert(lista.Elementi[i]).second) << "duplicate item " << lista.Elementi[i];
    }
    EXPECT_NE(std::find(lista.Elementi.begin(), lista.Elementi.end(), "Wind - Italy"), lista.Elementi.end());
}
