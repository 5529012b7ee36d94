#include "ui/Splash.h"

#include "platform/gui/qt/LogoImage.h"
#include "ui/Immagine.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

TSplashForm* SplashForm = nullptr;

namespace {
constexpr int LarghezzaClient = 742;
constexpr int AltezzaClient = 366;
constexpr int Bordo = 10;
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
