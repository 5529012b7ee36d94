#pragma once
// The Contact-ID tables editor: one of the image's two tables of 19 three-digit codes, one row per
// event. The main window's table buttons choose the table and show the window modally; its OK
// button stores the codes, its close box drops them.
#include <QDialog>
#include <QString>
#include <cstdint>

class QPushButton;
class QSpacerItem;
class QTableWidget;
class TEditorCodiceCid;

class TEventiCidFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TEventiCidFrm(QWidget* parent = nullptr);

    // The table the window edits: 1 the first, any other value the second. Set by the main
    // window's table buttons before showing it.
    std::uint8_t NumTabella = 0;

    // Column 0 the events, column 1 their codes; row 0 the headings.
    QTableWidget* AssociazioneEventiCid;
    QPushButton* OkBtn;

    // The Delphi edit mask of a cell being edited.
    QString AssociazioneEventiCidGetEditMask(int ACol, int ARow) const;

  public slots:
    void OkBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void ImpostaTestiEventiCid();

    TEditorCodiceCid* editorCodici_;
    // Keeps the window as wide as its translated title needs.
    QSpacerItem* spazioTitolo_;
};

// The program's window, set when start-up creates it.
extern TEventiCidFrm* EventiCidFrm;
