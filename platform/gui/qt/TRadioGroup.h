#pragma once
// A titled group of radio buttons addressed by index, as the windows were designed with.
// Texts are Windows-1252.
#include <QGroupBox>
#include <string>
#include <string_view>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace platform::gui {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    void SetCaption(std::string_view caption);
    std::string Caption() const;

    // Replaces the buttons; the selection is kept when its index still exists, else none.
    void SetItems(const std::vector<std::string>& items);
    std::vector<std::string> Items() const;
    int Count() const { return int(buttons_.size()); }
    // Changes the caption of one item; an index out of range changes nothing.
    void SetItem(int index, std::string_view caption);

    // Items fill the columns top to bottom, left to right.
    void SetColumns(int columns);
    int Columns() const { return columns_; }

    // -1 = no selection.
    int ItemIndex() const { return index_; }
    // A negative index clears the selection; an index past the last item selects the last one.
    void SetItemIndex(int index);

    QRadioButton* Button(int index) const;

  signals:
    // The selection changed, by the user or by SetItemIndex (code that must not react to its own
    // change blocks the signal while it sets the index).
    void Click();

  private:
    void Arrange();
    void OnToggled(int id, bool checked);

    QButtonGroup* group_;
    QGridLayout* layout_;
    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
    int index_ = -1;
};

} // namespace platform::gui
