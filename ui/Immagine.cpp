#include "ui/Immagine.h"

#include <QPainter>

TImmagine::TImmagine(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void TImmagine::ImpostaImmagine(const QImage& Immagine) {
    immagine_ = Immagine;
    update();
}

void TImmagine::paintEvent(QPaintEvent*) {
    if (immagine_.isNull() || width() <= 0 || height() <= 0) return;
    const QSize dimensione = immagine_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect area(QPoint((width() - dimensione.width()) / 2, (height() - dimensione.height()) / 2),
                     dimensione);
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(area, immagine_);
}
