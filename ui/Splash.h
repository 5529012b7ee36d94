#pragma once
// The window shown while the program starts: the logo on a light frame, without a title bar.
#include <QWidget>

class QFrame;
class TImmagine;

class TSplashForm : public QWidget {
    Q_OBJECT
  public:
    explicit TSplashForm(QWidget* parent = nullptr);

    // Shows the window and returns once its picture is on the screen (or after a short limit when
    // the desktop never exposes it), since no message runs while the other windows are made.
    void MostraDipinta();

    QFrame* Panel1;
    TImmagine* ImmagineLogo;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

  private:
    void FormShow();

    class QEventLoop* attesaEsposizione_ = nullptr;
};

// The splash from the start of the program until the main window is first shown; then nullptr.
extern TSplashForm* SplashForm;
