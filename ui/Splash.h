#pragma once
// The window shown while the program starts: the logo on a light frame, without a title bar.
#include <QWidget>

class QFrame;
class TImmagine;

class TSplashForm : public QWidget {
    Q_OBJECT
  public:
    explicit TSplashForm(QWidget* parent = nullptr);

    QFrame* Panel1;
    TImmagine* ImmagineLogo;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
};

// The splash from the start of the program until the main window is first shown; then nullptr.
extern TSplashForm* SplashForm;
