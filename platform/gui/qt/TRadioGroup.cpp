#include "platform/gui/qt/TRadioGroup.h"

#include "platform/gui/qt/QtText.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

namespace platform::gui {

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    layout_->setContentsMargins(6, 2, 6, 2);
    layout_->setSpacing(2);
    connect(group_, &QButtonGroup::idToggled, this, &TRadioGroup::OnToggled);
}

void TRadioGroup::SetCaption(std::string_view caption) {
    setTitle(FromCp1252(caption));
}

std::string TRadioGroup::Caption() const {
    return ToCp1252(title());
}

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
    const int keep = index_ < int(items.size()) ? index_ : -1;
    {
        const QSignalBlocker quiet(group_);
        for (QRadioButton* b : buttons_) {
            group_->removeButton(b);
            delete b;
        }
        buttons_.clear();
        for (std::size_t i = 0; i < items.size(); ++i) {
            auto* b = new QRadioButton(FromCp1252(items[i]), this);
            group_->addButton(b, int(i));
            buttons_.push_back(b);
        }
    }
    Arrange();
    index_ = -1;
    if (keep >= 0) {
        const QSignalBlocker quiet(this); // the same item stays selected: no change to report
        SetItemIndex(keep);
    }
}

std::vector<std::string> TRadioGroup::Items() const {
    std::vector<std::string> items;
    for (const QRadioButton* b : buttons_)
        items.push_back(ToCp1252(b->text()));
    return items;
}

void TRadioGroup::SetItem(int index, std::string_view caption) {
    if (index >= 0 && index < Count()) buttons_[std::size_t(index)]->setText(FromCp1252(caption));
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = std::clamp(columns, 1, 16);
    Arrange();
}

void TRadioGroup::Arrange() {
    for (QRadioButton* b : buttons_)
        layout_->removeWidget(b);
    const int count = Count();
    const int perColumn = std::max(1, (count + columns_ - 1) / columns_);
    for (int i = 0; i < count; ++i)
        layout_->addWidget(buttons_[std::size_t(i)], i % perColumn, i / perColumn);
}

void TRadioGroup::SetItemIndex(int index) {
    if (index >= Count()) index = Count() - 1;
    if (index < 0) {
        if (index_ < 0) return;
        {
            // An exclusive group cannot uncheck its checked button.
            const QSignalBlocker quiet(group_);
            group_->setExclusive(false);
            buttons_[std::size_t(index_)]->setChecked(false);
            group_->setExclusive(true);
        }
        index_ = -1;
        emit Click();
        return;
    }
    buttons_[std::size_t(index)]->setChecked(true);
}

QRadioButton* TRadioGroup::Button(int index) const {
    return index >= 0 && index < Count() ? buttons_[std::size_t(index)] : nullptr;
}

// Every route to a new selection (a click, the arrow keys, SetItemIndex) ends here; the button
// that loses the check reports too, which the new one's report already covers.
void TRadioGroup::OnToggled(int id, bool checked) {
    if (!checked || id == index_) return;
    index_ = id;
    emit Click();
}

} // namespace platform::gui
