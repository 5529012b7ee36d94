#include "ui/Splash.h"

#include "platform/gui/qt/LogoImage.h"
#include "ui/Immagine.h"

#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

TSplashForm* SplashForm = nullptr;

namespace {
constexpr int LarghezzaClient = 742;
constexpr int AltezzaClient = 366;
constexpr int Bordo = 10;
// A desktop maps a new window within a few milliseconds; one that never exposes it must not hold
// up the start.
constexpr int LimiteEsposizioneMs = 2000;
} // namespace

TSplashForm::TSplashForm(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("SplashForm");
    setFixedSize(LarghezzaClient, AltezzaClient);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setAutoFillBackground(true);
    QPalette colori = Panel1->palette();
    colori.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    Panel1->setPalette(colori);
    ImmagineLogo = new TImmagine(Panel1);
    ImmagineLogo->setObjectName("ImmagineLogo");

    auto* esterno = new QVBoxLayout(this);
    esterno->setContentsMargins(0, 0, 0, 0);
    esterno->addWidget(Panel1);
    auto* interno = new QVBoxLayout(Panel1);
    interno->setContentsMargins(Bordo, Bordo, Bordo, Bordo);
    interno->addWidget(ImmagineLogo);

    if (const QScreen* schermo = QGuiApplication::primaryScreen()) {
        const QRect area = schermo->availableGeometry();
        move(area.center() - QPoint(LarghezzaClient / 2, AltezzaClient / 2));
    }
}

void TSplashForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TSplashForm::FormShow() {
    ImmagineLogo->ImpostaImmagine(platform::gui::LoadLogo());
}

void TSplashForm::MostraDipinta() {
    show();
    // Under a window manager the window is mapped, and so can be painted, only after the manager
    // has handled it: painting before that is lost and the window would stay black until the main
    // window replaces it.
    QWindow* finestra = windowHandle();
    if (finestra && !finestra->isExposed()) {
        QEventLoop attesa;
        attesaEsposizione_ = &attesa;
        finestra->installEventFilter(this);
        QTimer::singleShot(LimiteEsposizioneMs, &attesa, &QEventLoop::quit);
        attesa.exec(QEventLoop::ExcludeUserInputEvents);
        finestra->removeEventFilter(this);
        attesaEsposizione_ = nullptr;
    }
    repaint();
    // Hand the picture to the display now: nothing else will until the main window shows.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TSplashForm::eventFilter(QObject* oggetto, QEvent* evento) {
    if (evento->type() == QEvent::Expose && attesaEsposizione_ && windowHandle() &&
        windowHandle()->isExposed())
        // Quit after the window has handled the exposure (and painted): the loop ends on return.
        attesaEsposizione_->quit();
    return QWidget::eventFilter(oggetto, evento);
}
