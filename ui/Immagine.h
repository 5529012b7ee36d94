#pragma once
// A picture shown centred and scaled to fit its area with its proportions kept, on a transparent
// background: how the splash and the first page show the logo.
#include <QImage>
#include <QWidget>

class TImmagine : public QWidget {
    Q_OBJECT
  public:
    explicit TImmagine(QWidget* parent = nullptr);

    // A null image clears the picture.
    void ImpostaImmagine(const QImage& Immagine);
    const QImage& Immagine() const { return immagine_; }
    bool Vuota() const { return immagine_.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage immagine_;
};
