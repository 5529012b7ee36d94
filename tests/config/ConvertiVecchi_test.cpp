#include "config/ConfigPc.h"
#include "config/ImportaFileVecchi.h"
#include "config/def_ver10.h"
#include "config/def_ver43.h"
#include "platform/fs/SafeFile.h"

#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace testing_support;
using platform::gui::MsgKind;
using Byte = std::vector<std::uint8_t>;

namespace {

// The byte maps of both conversions, written out here by offset (not through the record types),
// so that a field placed at a wrong offset in a record type cannot agree with its own test.
enum class Tipo { Grezzo, Testo };
struct Voce {
    std::size_t Vecchio, Nuovo, Lunghezza; // Lunghezza: bytes (Grezzo) or capacity of the old text
    Tipo T = Tipo::Grezzo;
};

std::vector<Voce> MappaVer10() {
    std::vector<Voce> m = {
        {0, 0, 4},
        {6, 6, 8, Tipo::Testo},
        {15, 15, 8, Tipo::Testo},
        {24, 24, 250, Tipo::Testo},
        {280, 280, 8},
        {288, 288, 15, Tipo::Testo},
        {304, 304, 15},
        {320, 326, 3},
        {323, 322, 1},
        {324, 323, 3},
        {327, 330, 3},
        {330, 334, 3},
        {333, 337, 4, Tipo::Testo},
        {338, 342, 2},
        {340, 344, 4},
        {344, 348, 1},
        {345, 349, 15, Tipo::Testo},
        {361, 365, 30, Tipo::Testo},
        {392, 396, 15, Tipo::Testo},
        {408, 412, 40, Tipo::Testo},
        {449, 453, 5, Tipo::Testo},
        {3136, 4488, 11},
        {3147, 4499, 7, Tipo::Testo},
        {3155, 4507, 7, Tipo::Testo},
        {3163, 4515, 7, Tipo::Testo},
        {3171, 4523, 7, Tipo::Testo},
        {3179, 4531, 17, Tipo::Testo},
        {3197, 4549, 17, Tipo::Testo},
        {3215, 4567, 15, Tipo::Testo},
        {3231, 4583, 15, Tipo::Testo},
        {3247, 4599, 32, Tipo::Testo},
        {3280, 4632, 16, Tipo::Testo},
        {3297, 4649, 16, Tipo::Testo},
        {3314, 4666, 16, Tipo::Testo},
        {3332, 4684, 2},
        {3334, 4686, 16, Tipo::Testo},
        {3352, 4704, 2},
    };
    for (std::size_t k = 0; k < 5; ++k)
        m.push_back({455 + 17 * k, 459 + 17 * k, 16, Tipo::Testo});
    auto zona = [&](std::size_t vecchio, std::size_t slot) {
        m.push_back({vecchio, 544 + 40 * slot, 7});
        m.push_back({vecchio + 7, 544 + 40 * slot + 11, 14, Tipo::Testo});
        m.push_back({vecchio + 22, 544 + 40 * slot + 37, 3});
    };
    for (std::size_t i = 0; i < 68; ++i)
        zona(540 + 25 * i, i);
    for (std::size_t k = 0; k < 16; ++k)
        zona(2240 + 25 * k, 69 + k);
    for (std::size_t k = 0; k < 16; ++k) {
        m.push_back({2640 + 18 * k, 3944 + 21 * k, 14, Tipo::Testo});
        m.push_back({2640 + 18 * k + 15, 3944 + 21 * k + 18, 3});
    }
    for (std::size_t n = 0; n < 8; ++n)
        m.push_back({2928 + 26 * n, 4280 + 26 * n, 26});
    for (std::size_t i = 0; i < 15; ++i) {
        m.push_back({3354 + 4 * i, 4706 + 4 * i, 3, Tipo::Testo});
        m.push_back({3414 + 4 * i, 4782 + 4 * i, 3, Tipo::Testo});
    }
    return m;
}

std::vector<Voce> MappaVer43() {
    std::vector<Voce> m = {
        {0, 0, 4},
        {6, 6, 8, Tipo::Testo},
        {15, 15, 8, Tipo::Testo},
        {24, 24, 250, Tipo::Testo},
        {280, 280, 8},
        {288, 288, 15, Tipo::Testo},
        {304, 304, 1},
        {305, 322, 1},
        {306, 306, 7},
        {319, 323, 1},
        {320, 330, 3},
        {323, 334, 3},
        {326, 337, 4, Tipo::Testo},
        {331, 342, 1},
        {336, 346, 2},
        {338, 348, 1},
        {339, 349, 15, Tipo::Testo},
        {355, 365, 30, Tipo::Testo},
        {4960, 4488, 4},
        {4968, 4496, 3},
        {5039, 4567, 15, Tipo::Testo},
        {5055, 4583, 15, Tipo::Testo},
        {5071, 4599, 32, Tipo::Testo},
        {5138, 4666, 16, Tipo::Testo},
        {5156, 4684, 2},
        {5158, 4686, 16, Tipo::Testo},
        {5176, 4704, 2},
    };
    for (std::size_t k = 0; k < 5; ++k)
        m.push_back({449 + 17 * k, 459 + 17 * k, 16, Tipo::Testo});
    for (std::size_t i = 0; i < 63; ++i) {
        m.push_back({2489 + 25 * i, 544 + 40 * i, 7});
        m.push_back({2489 + 25 * i + 7, 544 + 40 * i + 11, 14, Tipo::Testo});
        m.push_back({2489 + 25 * i + 22, 544 + 40 * i + 37, 3});
    }
    for (std::size_t k = 0; k < 16; ++k) {
        m.push_back({4064 + 25 * k, 544 + 40 * (69 + k), 4});
        m.push_back({4064 + 25 * k + 7, 544 + 40 * (69 + k) + 11, 14, Tipo::Testo});
        m.push_back({4064 + 25 * k + 22, 544 + 40 * (69 + k) + 37, 3});
        // Byte 4 of the sixteen peripheral records goes to slots 63..78.
        m.push_back({4064 + 25 * k + 4, 544 + 40 * (63 + k) + 4, 1});
    }
    for (std::size_t k = 0; k < 16; ++k) {
        m.push_back({4464 + 18 * k, 3944 + 21 * k, 14, Tipo::Testo});
        m.push_back({4464 + 18 * k + 15, 3944 + 21 * k + 18, 3});
    }
    for (std::size_t n = 0; n < 8; ++n)
        m.push_back({4752 + 26 * n, 4280 + 26 * n, 26});
    for (std::size_t i = 0; i < 15; ++i) {
        m.push_back({5178 + 4 * i, 4706 + 4 * i, 3, Tipo::Testo});
        m.push_back({5238 + 4 * i, 4782 + 4 * i, 3, Tipo::Testo});
    }
    return m;
}

// An old file in which bytes less than 256 apart always differ, and differ again with another seed;
// every mapped text gets a valid length byte that varies from text to text.
Byte FileVecchio(std::size_t dimensione, std::uint8_t id, std::uint8_t versione,
                 const std::vector<Voce>& mappa, std::uint8_t seme) {
    Byte b(dimensione);
    for (std::size_t o = 0; o < dimensione; ++o)
        b[o] = std::uint8_t(o * 7 + (o >> 8) * 31 + seme);
    for (const auto& v : mappa)
        if (v.T == Tipo::Testo)
            b[v.Vecchio] =
                std::uint8_t(v.Lunghezza - (v.Vecchio + seme) % std::min<std::size_t>(v.Lunghezza, 3));
    b[4] = id;
    b[5] = versione;
    return b;
}

Byte Immagine(const TConfigCentrale& c) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&c);
    return {p, p + sizeof c};
}

// The default image, then the map applied byte by byte: a text carries its length byte and that
// many characters; what lies beyond its length keeps the default.
Byte Atteso(const Byte& vecchio, const std::vector<Voce>& mappa) {
    TConfigCentrale base{};
    ConfigDefault(base);
    Byte n = Immagine(base);
    for (const auto& v : mappa) {
        const std::size_t quanti = v.T == Tipo::Testo ? 1 + vecchio[v.Vecchio] : v.Lunghezza;
        std::copy_n(vecchio.begin() + v.Vecchio, quanti, n.begin() + v.Nuovo);
    }
    n[4] = 164;
    n[5] = 11;
    n[333] = 30; // TempoSuoneriaEsterniSec
    return n;
}

template <class T> T Record(const Byte& b) {
    T r;
    std::memcpy(&r, b.data(), sizeof r);
    return r;
}

void ConfrontaByte(const Byte& ottenuto, const Byte& atteso) {
    ASSERT_EQ(ottenuto.size(), atteso.size());
    int errori = 0;
    for (std::size_t o = 0; o < atteso.size() && errori < 20; ++o)
        if (ottenuto[o] != atteso[o]) {
            ADD_FAILURE() << "image byte " << o << ": " << int(ottenuto[o]) << ", expected "
                          << int(atteso[o]);
            ++errori;
        }
}

} // namespace

TEST(ConvertiDaVer10, FollowsTheByteMapAndKeepsTheDefaultsElsewhere) {
    const auto mappa = MappaVer10();
    for (std::uint8_t seme : {13, 101}) {
        SCOPED_TRACE(int(seme));
        const Byte vecchio = FileVecchio(3480, 164, 10, mappa, seme);
        TConfigCentrale c;
        std::memset(&c, 0xEE, sizeof c); // whatever the target held before is not kept
        ConvertiDaVer10(c, Record<TConfigCentraleVer10>(vecchio));
        ConfrontaByte(Immagine(c), Atteso(vecchio, mappa));
    }
}

TEST(ConvertiDaVer10, NamedEdgeCases) {
    Byte vecchio = FileVecchio(3480, 164, 10, MappaVer10(), 13);
    vecchio[324] = 21;
    vecchio[325] = 22;
    vecchio[326] = 23;
    TConfigCentrale c{};
    ConvertiDaVer10(c, Record<TConfigCentraleVer10>(vecchio));
    EXPECT_EQ(c.TempoSuoneriaEsterniSec, 30);
    EXPECT_EQ(c.AssociazioneReleAux1, 21);
    EXPECT_EQ(c.AssociazioneReleAux2, 22);
    EXPECT_EQ(c.AssociazioneReleAux3, 23);
    EXPECT_EQ(c.InvioSmsSpvMancataSensori, 0);
    EXPECT_EQ(c.SubSonicoPresente, 0);
    EXPECT_EQ(c.AttivaSirenaPerTecnologico_NU, 0);
    // The ninth wired line, which format 1.0 lacks, is an empty default slot.
    const auto& nona = c.Zone[68];
    EXPECT_EQ(nona.Attiva | nona.TipoSensore | nona.Descrizione.Lunghezza | nona.CodiceRadio.Byte[0], 0);
    EXPECT_EQ(c.TabellaEventiCid1[15].Leggi(), "000");
    EXPECT_EQ(c.TabellaEventiCid2[18].Leggi(), "000");
    EXPECT_EQ(c.IdCentrale, 164);
    EXPECT_EQ(c.VersioneCentrale, 11);
}

TEST(ConvertiDaVer43, FollowsTheByteMapAndKeepsTheDefaultsElsewhere) {
    const auto mappa = MappaVer43();
    for (std::uint8_t seme : {13, 101}) {
        SCOPED_TRACE(int(seme));
        const Byte vecchio = FileVecchio(5304, 161, 43, mappa, seme);
        TConfigCentrale c;
        std::memset(&c, 0xEE, sizeof c);
        ConvertiDaVer43(c, Record<TConfigCentraleVer43>(vecchio));
        Byte atteso = Atteso(vecchio, mappa);
        atteso[343] = 1; // NumeroRing
        ConfrontaByte(Immagine(c), atteso);
    }
}

TEST(ConvertiDaVer43, FixedValuesWhateverTheOldFileHolds) {
    for (std::uint8_t riempi : {0x00, 0x5A, 0xFF}) {
        SCOPED_TRACE(int(riempi));
        Byte vecchio(5304, riempi);
        vecchio[4] = 161;
        vecchio[5] = 43;
        TConfigCentrale c{};
        ConvertiDaVer43(c, Record<TConfigCentraleVer43>(vecchio));
        EXPECT_EQ(c.NumeroRing, 1);
        EXPECT_EQ(c.SimVoce, 1);
        EXPECT_EQ(c.CodeOperatoreManuale.Leggi(), "00000");
        EXPECT_EQ(c.TempoSuoneriaEsterniSec, 30);
        EXPECT_EQ(c.AssociazioneReleAux2 | c.AssociazioneReleAux3 | c.CodiceTxRadio, 0);
        EXPECT_EQ(c.TestoFissoSms.Lunghezza | c.CidAccount1.Lunghezza | c.APNPassword.Lunghezza, 0);
        // Wired lines 4..9 keep their defaults apart from byte 4; slots 79..84 have byte 4 = 0.
        for (int slot = 63; slot <= 68; ++slot) {
            EXPECT_EQ(c.Zone[slot].TipoSensore, riempi);
            EXPECT_EQ(c.Zone[slot].Attiva | c.Zone[slot].Descrizione.Lunghezza, 0);
        }
        for (int slot = 79; slot < 85; ++slot)
            EXPECT_EQ(c.Zone[slot].TipoSensore, 0);
    }
}

TEST(ConvertitoriVecchi, DamagedTextLengthsAreCutToWhatTheOldFieldHolds) {
    Byte v10 = FileVecchio(3480, 164, 10, MappaVer10(), 13);
    v10[540 + 7] = 200; // description of zone 0, an s14
    v10[24] = 255;      // CommentiPc, an s250
    TConfigCentrale c{};
    ConvertiDaVer10(c, Record<TConfigCentraleVer10>(v10));
    EXPECT_EQ(c.Zone[0].Descrizione.Lunghezza, 14);
    EXPECT_EQ(c.Zone[0].Descrizione.Leggi(), std::string(reinterpret_cast<const char*>(&v10[548]), 14));
    EXPECT_EQ(c.CommentiPc.Lunghezza, 250);
}

TEST(RiconosciFormatoVecchio, NeedsHeaderAndSizeOfTheSameFormat) {
    auto file = [](std::size_t n, std::uint8_t id, std::uint8_t ver) {
        Byte b(n, 0);
        if (n > 5) b[4] = id, b[5] = ver;
        return b;
    };
    EXPECT_EQ(RiconosciFormatoVecchio(file(3480, 164, 10)), FormatoVecchio::Ver10);
    EXPECT_EQ(RiconosciFormatoVecchio(file(5304, 161, 43)), FormatoVecchio::Ver43);
    EXPECT_EQ(RiconosciFormatoVecchio(file(4864, 164, 11)), FormatoVecchio::Nessuno);
    EXPECT_EQ(RiconosciFormatoVecchio(file(3480, 161, 43)), FormatoVecchio::Nessuno);
    EXPECT_EQ(RiconosciFormatoVecchio(file(5304, 164, 10)), FormatoVecchio::Nessuno);
    EXPECT_EQ(RiconosciFormatoVecchio(file(3479, 164, 10)), FormatoVecchio::Nessuno);
    EXPECT_EQ(RiconosciFormatoVecchio(file(5305, 161, 43)), FormatoVecchio::Nessuno);
    EXPECT_EQ(RiconosciFormatoVecchio(file(5, 0, 0)), FormatoVecchio::Nessuno);
    TConfigCentrale c{};
    EXPECT_FALSE(ConvertiFileVecchio(file(4864, 164, 11), c));
    EXPECT_EQ(c.IdCentrale, 0);
}

TEST(NomeFileConvertito, ReplacesTheLastFourCharacters) {
    EXPECT_EQ(NomeFileConvertito("dog.409"), "dog.1.11c.415");
    EXPECT_EQ(NomeFileConvertito("/dati/plan.415"), "/dati/plan.1.11c.415");
    // Characters, not bytes, of a UTF-8 name: a cut inside "à" would spoil the name.
    EXPECT_EQ(NomeFileConvertito("rete.et\xC3\xA0"), "rete.1.11c.415");
    EXPECT_EQ(NomeFileConvertito("citt\xC3\xA0.409"), "citt\xC3\xA0.1.11c.415");
}

namespace {

class ComandoConverti : public testing::Test {
  protected:
    TempFolder dir;
    ScriptedDialogs dialogs;
    const TTestiImporta testi{"ovr", "src-err", "dst-err", "done"};
    void TearDown() override {
        platform::SetWriteFunctionForTest(nullptr);
        EXPECT_TRUE(dialogs.AllAnswersUsed());
    }
    std::vector<std::pair<MsgKind, std::string>> Messaggi() const {
        std::vector<std::pair<MsgKind, std::string>> v;
        for (const auto& m : dialogs.Messages())
            v.emplace_back(m.Kind, m.Text);
        return v;
    }
    using Msg = std::vector<std::pair<MsgKind, std::string>>;
};

long DiscoPienoAMeta(int fd, const void* data, std::size_t size) {
    if (size > 2000) return ::write(fd, data, 2000);
    errno = ENOSPC;
    return -1;
}

} // namespace

TEST_F(ComandoConverti, ConvertsBesideTheSourceAndAsksTheSecondTime) {
    const Byte vecchio = FileVecchio(5304, 161, 43, MappaVer43(), 13);
    dir.Write("dog.409", vecchio);
    ConfigCentrale = {};
    dialogs.ChooseFile(dir.File("dog.409"));
    EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::Convertito);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Information, "done"}}));
    ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
    EXPECT_EQ(dialogs.FileDialogs()[0].Filter, "File Vm415 (*.415)|*.415| File Vm409 (*.409)|*.409");
    const Byte primo = dir.Read("dog.1.11c.415");
    ASSERT_EQ(primo.size(), 4864u);
    TConfigCentrale atteso{};
    ConvertiDaVer43(atteso, Record<TConfigCentraleVer43>(vecchio));
    EXPECT_EQ(primo, Immagine(atteso));
    EXPECT_EQ(ConfigCentrale.IdCentrale, 0); // the converted image is not loaded

    dialogs.Clear();
    dialogs.ChooseFile(dir.File("dog.409"));
    dialogs.AnswerNo();
    EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::Rinunciata);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Confirmation, dir.File("dog.1.11c.415") + " ovr"}}));
    EXPECT_EQ(dir.Read("dog.1.11c.415"), primo);

    dialogs.Clear();
    dialogs.ChooseFile(dir.File("dog.409"));
    dialogs.AnswerYes();
    EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::Convertito);
}

TEST_F(ComandoConverti, TheQuestionShowsTheTargetNameInWindows1252) {
    dir.Write("Niccol\xC3\xB2.409", FileVecchio(5304, 161, 43, MappaVer43(), 13));
    dir.Write("Niccol\xC3\xB2.1.11c.415", std::string("previous result"));
    dialogs.ChooseFile(dir.File("Niccol\xC3\xB2.409"));
    dialogs.AnswerYes();
    EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::Convertito);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Confirmation, dir.File("Niccol\xF2.1.11c.415") + " ovr"},
                               {MsgKind::Information, "done"}}));
    EXPECT_EQ(dir.Read("Niccol\xC3\xB2.1.11c.415").size(), 4864u);
}

TEST_F(ComandoConverti, NameWithoutExtensionGets415) {
    dir.Write("plan.415", FileVecchio(3480, 164, 10, MappaVer10(), 13));
    dialogs.ChooseFile(dir.File("plan"));
    EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::Convertito);
    EXPECT_TRUE(dir.Exists("plan.1.11c.415"));
}

TEST_F(ComandoConverti, RefusedSourcesWriteNothing) {
    TConfigCentrale attuale{};
    attuale.IdCentrale = 164;
    attuale.VersioneCentrale = 11;
    dir.Write("attuale.415", Immagine(attuale));
    Byte corto(3480, 0);
    corto[4] = 161;
    corto[5] = 43;
    dir.Write("corto.409", corto);
    for (const char* nome : {"attuale.415", "corto.409", "manca.409"}) {
        SCOPED_TRACE(nome);
        dialogs.Clear();
        dialogs.ChooseFile(dir.File(nome));
        EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::ErroreSorgente);
        EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Error, "src-err"}}));
    }
    EXPECT_FALSE(dir.Exists("attuale.1.11c.415"));
    EXPECT_FALSE(dir.Exists("corto.1.11c.415"));
}

TEST_F(ComandoConverti, FailedWriteKeepsThePreviousTarget) {
    dir.Write("dog.409", FileVecchio(5304, 161, 43, MappaVer43(), 13));
    dir.Write("dog.1.11c.415", std::string("previous result"));
    platform::SetWriteFunctionForTest(&DiscoPienoAMeta);
    dialogs.ChooseFile(dir.File("dog.409"));
    dialogs.AnswerYes();
    EXPECT_EQ(ComandoConvertiFile(testi), EsitoConversione::ErroreDestinazione);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Confirmation, dir.File("dog.1.11c.415") + " ovr"},
                               {MsgKind::Error, "dst-err"}}));
    const std::string previo = "previous result";
    EXPECT_EQ(dir.Read("dog.1.11c.415"), Byte(previo.begin(), previo.end()));
}

TEST_F(ComandoConverti, TextsComeFromTheLanguageTable) {
    ProgramFolderScope scope(dir.Path());
    dir.Write("Lingue.csv", std::string("STRMAIN_SOVRASCRIVERE;sovrascrivere?;overwrite?\r\n"
                                        "STRIMP_FILESOURCEERROR;sorgente;source\r\n"
                                        "STRIMP_FILETARGETERROR;destinazione;target\r\n"
                                        "STRIMP_FILECONVERTITO;convertito;converted\r\n"));
    ConfigPc.Lingua = 1;
    const TTestiImporta t = CaricaTestiImporta();
    ConfigPc.Lingua = 0;
    EXPECT_EQ(t.Sovrascrivere, "overwrite?");
    EXPECT_EQ(t.FileSourceError, "source");
    EXPECT_EQ(t.FileTargetError, "target");
    EXPECT_EQ(t.FileConvertito, "converted");
    EXPECT_TRUE(dialogs.Messages().empty());
}
