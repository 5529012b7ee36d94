// The Contact-ID tables editor: OK stores three digits or "000" into the chosen table only, the
// close box stores nothing, and every showing shows the image again.
#include "ProgramWindows.h"

#include "config/GlobalsVar.h"
#include "ui/EventiCid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <cstring>

namespace {

class EventiCid : public ProgramWindows {
  protected:
    EventiCid() : salvata_(ConfigCentrale) {
        CreaFinestre();
        ConfigDefault(ConfigCentrale);
    }
    ~EventiCid() override { ConfigCentrale = salvata_; }

    static QTableWidgetItem* Codice(int Riga) { return EventiCidFrm->AssociazioneEventiCid->item(Riga, 1); }
    static void Mostra(std::uint8_t Tabella) {
        EventiCidFrm->NumTabella = Tabella;
        EventiCidFrm->show();
        EventiCidFrm->activateWindow();
        QApplication::processEvents();
    }
    static bool ImmagineUguale(const TConfigCentrale& c) {
        return std::memcmp(&ConfigCentrale, &c, sizeof c) == 0;
    }

  private:
    TConfigCentrale salvata_;
};

} // namespace

TEST_F(EventiCid, DefaultsShowZerosAndTheCloseBoxStoresNothing) {
    const TConfigCentrale prima = ConfigCentrale;
    Mostra(1);
    for (int r = 1; r < 20; ++r)
        EXPECT_EQ(Codice(r)->text(), "000") << r;
    Codice(1)->setText("654");
    EventiCidFrm->close();
    EXPECT_TRUE(ImmagineUguale(prima));
    Mostra(1);
    EXPECT_EQ(Codice(1)->text(), "000") << "the edit that was not stored is gone";
    EventiCidFrm->close();
}

TEST_F(EventiCid, OkStoresThreeDigitsOrZerosIntoTheChosenTableOnly) {
    for (int i = 0; i < NumEventiCid; ++i)
        ConfigCentrale.TabellaEventiCid2[i].Scrivi(std::to_string(100 + i));
    ConfigCentrale.TabellaEventiCid2[3].Scrivi("");
    TConfigCentrale atteso = ConfigCentrale;
    Mostra(2);
    EXPECT_EQ(Codice(4)->text(), "") << "an empty entry shows empty";
    const char* const celle[] = {"987", "12", "1234", nullptr, "1 3", " 123", " 45 "};
    for (int r = 1; r <= 7; ++r)
        if (celle[r - 1]) Codice(r)->setText(celle[r - 1]);
    // OK while a code is still being typed takes it as it stands.
    EventiCidFrm->AssociazioneEventiCid->editItem(Codice(9));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    for (QChar c : QStringLiteral("777")) {
        QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &e);
    }
    EventiCidFrm->OkBtn->click();

    EXPECT_EQ(EventiCidFrm->result(), QDialog::Accepted);
    const char* const codici[] = {"987", "000", "000", "000", "000", "123", "000", "107", "777"};
    for (int i = 0; i < 9; ++i)
        atteso.TabellaEventiCid2[i].Scrivi(codici[i]);
    for (int i = 0; i < NumEventiCid; ++i)
        EXPECT_EQ(ConfigCentrale.TabellaEventiCid2[i].Leggi(), atteso.TabellaEventiCid2[i].Leggi()) << i;
    EXPECT_TRUE(ImmagineUguale(atteso)) << "nothing but table 2 changed";
}
