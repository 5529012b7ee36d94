// A Contact-ID table edited in its window reaches the simulated panel with a send: the program's
// own link (the options window's) on vm415-sim's line, the panel's image read back from the file it
// saves on exit.
#include "config/GetMessage_11.h"
#include "link/KivCanale.h"
#include "link/ThreadCom.h"
#include "platform/gui/qt/QtText.h"
#include "support/Simulatore.h"
#include "ui/Attesa.h"
#include "ui/EventiCid.h"
#include "ui/OperazioniCentrale.h"
#include "ui/ProgramWindows.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <fstream>

namespace {
class TabelleCid : public ProgramWindows {
    const TConfigCentrale salvata_ = ConfigCentrale;

  protected:
    ~TabelleCid() override { ConfigCentrale = salvata_; }
};
} // namespace

TEST_F(TabelleCid, AnEditedTableTravelsToThePanelAndTheOtherStaysAsItWas) {
    const std::string salvata = folder_.File("pannello.415");
    testing_support::Simulatore sim(6, {"--save-on-exit", salvata});
    ASSERT_TRUE(sim.Pronto());
    ScriviComConfig(ConnessioneCavo, 6);
    CreaFinestre();
    MostraMainFrm();
    ConfigDefault(ConfigCentrale);
    ConfigCentrale.IdCentrale = IdVm415;
    ConfigCentrale.VersioneCentrale = VersioneFormato11;
    MainFrm->AggiornaFormDaConfig();

    QTimer::singleShot(0, EventiCidFrm, [] {
        QTableWidget& g = *EventiCidFrm->AssociazioneEventiCid;
        g.item(1, 1)->setText("130");
        g.item(8, 1)->setText("401");
        g.item(19, 1)->setText("15");
        EventiCidFrm->OkBtn->click();
    });
    MainFrm->TabellaEventiCid2Btn->click();
    // The wait window is closed once the send is over, as the user would.
    QTimer utente;
    ChiudiAttesaAllaFine(utente);
    dialogs_.AnswerYes();
    MainFrm->MiInviaCentrale->trigger();
    ASSERT_EQ(platform::gui::ToCp1252(AttesaFrm->windowTitle()), GetMessaggio("STRATTESA_COMOK"));

    sim.Ferma();
    TConfigCentrale pannello{};
    std::ifstream f(salvata, std::ios::binary);
    ASSERT_TRUE(f.read(reinterpret_cast<char*>(&pannello), sizeof pannello));
    for (int i = 0; i < NumEventiCid; ++i) {
        EXPECT_EQ(pannello.TabellaEventiCid2[i].Leggi(), i == 0 ? "130" : i == 7 ? "401" : "000") << i;
        EXPECT_EQ(pannello.TabellaEventiCid1[i].Leggi(), "000") << i;
    }
}
