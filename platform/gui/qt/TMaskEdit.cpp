#include "platform/gui/qt/TMaskEdit.h"

#include "platform/gui/qt/QtText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QValidator>
#include <algorithm>

namespace platform::gui {
namespace {

// The last word on every change, whatever its route (context menu, drop, a key sequence we do not
// handle): a masked text must keep its layout, and any text must stay within Windows-1252.
class MaskValidator final : public QValidator {
  public:
    MaskValidator(const DelphiMask* mask, QObject* parent) : QValidator(parent), mask_(mask) {}

    State validate(QString& input, int&) const override {
        if (!mask_->IsMasked()) return FitsCp1252(input) ? Acceptable : Invalid;
        if (std::size_t(input.size()) != mask_->Size()) return Invalid;
        for (std::size_t i = 0; i < mask_->Size(); ++i) {
            const auto c = Cp1252Char(input[qsizetype(i)]);
            if (!c) return Invalid;
            if (mask_->IsLiteral(i) ? *c != mask_->Positions()[i].literal
                                    : *c != mask_->Blank() && !mask_->Fit(i, *c))
                return Invalid;
        }
        return Acceptable;
    }

  private:
    const DelphiMask* mask_;
};

} // namespace

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new MaskValidator(&mask_, this));
    connect(this, &QLineEdit::textChanged, this, &TMaskEdit::OnTextChanged);
}

void TMaskEdit::SetEditMask(std::string_view mask) {
    const std::string text = Text();
    mask_ = DelphiMask(mask);
    if (mask_.IsMasked()) {
        QLineEdit::setMaxLength(int(mask_.Size()));
        setAcceptDrops(false);
    } else {
        QLineEdit::setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
        setAcceptDrops(true);
    }
    SetText(text);
}

std::string TMaskEdit::Text() const {
    if (!mask_.IsMasked()) return ToCp1252(QLineEdit::text());
    return mask_.ToText(cells_);
}

void TMaskEdit::SetText(std::string_view text) {
    if (!mask_.IsMasked()) {
        QString q = FromCp1252(text);
        if (maxLength_ > 0) q.truncate(maxLength_);
        QLineEdit::setText(q);
        return;
    }
    cells_ = mask_.FromText(text);
    setModified(false);
    Show(0, false);
}

std::string TMaskEdit::EditText() const {
    if (!mask_.IsMasked()) return Text();
    return mask_.Display(cells_);
}

void TMaskEdit::SetMaxLength(int length) {
    maxLength_ = length > 0 ? length : 0;
    if (!mask_.IsMasked()) QLineEdit::setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

bool TMaskEdit::IsComplete() const {
    return !mask_.IsMasked() || mask_.IsComplete(cells_);
}

void TMaskEdit::Show(std::size_t cursor, bool edited) {
    const bool modified = edited || isModified();
    updating_ = true;
    QLineEdit::setText(FromCp1252(mask_.Display(cells_)));
    updating_ = false;
    setModified(modified);
    setCursorPosition(int(cursor));
}

// Only changes that did not come through our own editing reach here with updating_ false; read
// the cells back from what is shown (a blank there is an unfilled position).
void TMaskEdit::OnTextChanged(const QString& text) {
    if (updating_ || !mask_.IsMasked()) return;
    cells_ = mask_.Empty();
    for (std::size_t i = 0; i < mask_.Size() && i < std::size_t(text.size()); ++i) {
        if (mask_.IsLiteral(i)) continue;
        const auto c = Cp1252Char(text[qsizetype(i)]);
        if (c && *c != mask_.Blank()) cells_[i] = mask_.Fit(i, *c);
    }
    // A shorter or reshaped text (the base class's setText) is shown in the mask's layout again.
    if (text != FromCp1252(mask_.Display(cells_))) Show(std::size_t(cursorPosition()), isModified());
}

bool TMaskEdit::ClearSelected() {
    if (!hasSelectedText()) return false;
    const std::size_t from = std::size_t(selectionStart());
    const std::size_t to = std::min(from + std::size_t(selectedText().size()), mask_.Size());
    for (std::size_t i = from; i < to; ++i)
        cells_[i].reset();
    Show(from, true);
    return true;
}

bool TMaskEdit::TypeChar(QChar qc) {
    const auto c = Cp1252Char(qc);
    if (!c) return false;
    if (!mask_.IsMasked()) {
        if (maxLength_ > 0 && !hasSelectedText() && QLineEdit::text().size() >= maxLength_) return false;
        insert(QString(qc));
        return true;
    }
    ClearSelected();
    std::size_t pos = std::size_t(cursorPosition());
    // The literal under the cursor: its own character steps over it.
    if (pos < mask_.Size() && mask_.IsLiteral(pos) && mask_.Positions()[pos].literal == *c) {
        setCursorPosition(int(pos + 1));
        return true;
    }
    pos = mask_.NextEditable(pos);
    if (pos >= mask_.Size()) return false;
    if (const auto fit = mask_.Fit(pos, *c)) {
        cells_[pos] = *fit;
        std::size_t next = pos + 1;
        while (next < mask_.Size() && mask_.IsLiteral(next))
            ++next;
        Show(next, true);
        return true;
    }
    // A separator typed early ("1/" in a date) moves to the section after the next literal of
    // that character, leaving the rest of this section empty.
    for (std::size_t i = pos; i < mask_.Size(); ++i) {
        if (!mask_.IsLiteral(i)) continue;
        if (mask_.Positions()[i].literal != *c) break;
        setCursorPosition(int(i + 1));
        return true;
    }
    return false;
}

void TMaskEdit::TypeText(const QString& text) {
    for (QChar c : text)
        if (!TypeChar(c)) QApplication::beep();
}

void TMaskEdit::ClearSelectionOrPrevious() {
    if (!mask_.IsMasked()) {
        backspace();
        return;
    }
    if (ClearSelected()) return;
    const std::size_t pos = mask_.PreviousEditable(std::size_t(cursorPosition()));
    if (pos == std::string::npos) return;
    cells_[pos].reset();
    Show(pos, true);
}

void TMaskEdit::ClearSelectionOrCurrent() {
    if (!mask_.IsMasked()) {
        del();
        return;
    }
    if (ClearSelected()) return;
    const std::size_t cursor = std::size_t(cursorPosition());
    const std::size_t pos = mask_.NextEditable(cursor);
    if (pos >= mask_.Size()) return;
    cells_[pos].reset();
    Show(cursor, true);
}

void TMaskEdit::PasteMasked() {
    if (isReadOnly()) return;
    QString text = QApplication::clipboard()->text();
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    TypeText(text);
}

void TMaskEdit::CutMasked() {
    if (isReadOnly() || !hasSelectedText()) return;
    copy();
    ClearSelected();
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (!mask_.IsMasked() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) return PasteMasked();
    if (event->matches(QKeySequence::Cut)) return CutMasked();
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine))
        return;
    if (event->key() == Qt::Key_Backspace) return ClearSelectionOrPrevious();
    if (event->key() == Qt::Key_Delete) return ClearSelectionOrCurrent();
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!command && !text.isEmpty() && text[0].isPrint()) {
        TypeText(text);
        return;
    }
    // Movement, selection, copy, Return: the line edit's own handling.
    QLineEdit::keyPressEvent(event);
}

void TMaskEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (!mask_.IsMasked() || hasSelectedText()) return;
    // Where the click fell in the blanks after the text, typing would leave blanks before what is
    // typed and push its end out of the field.
    std::size_t fine = mask_.Size();
    while (fine > 0 && !cells_[fine - 1])
        --fine;
    if (fine == 0) fine = std::min(mask_.NextEditable(0), mask_.Size());
    if (std::size_t(cursorPosition()) > fine) setCursorPosition(int(fine));
}

void TMaskEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!mask_.IsMasked() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    TypeText(event->commitString());
    event->accept();
}

// The standard menu's paste, cut and delete would go around the mask (and its undo could not
// work), so a masked edit brings its own menu with the same entries routed through the mask.
void TMaskEdit::contextMenuEvent(QContextMenuEvent* event) {
    if (!mask_.IsMasked()) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    const auto add = [&](const QString& text, QKeySequence::StandardKey key, const char* name, bool enabled,
                         auto slot) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(shortcut.isEmpty() ? text : text + QLatin1Char('\t') + shortcut);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(tr("Cu&t"), QKeySequence::Cut, "edit-cut", editable && selected, [this] { CutMasked(); });
    add(tr("&Copy"), QKeySequence::Copy, "edit-copy", selected, [this] { copy(); });
    add(tr("&Paste"), QKeySequence::Paste, "edit-paste",
        editable && !QApplication::clipboard()->text().isEmpty(), [this] { PasteMasked(); });
    add(tr("Delete"), QKeySequence::UnknownKey, "edit-delete", editable && selected,
        [this] { ClearSelected(); });
    menu->addSeparator();
    add(tr("Select All"), QKeySequence::SelectAll, "select-all", true, [this] { selectAll(); });
    menu->popup(event->globalPos());
}

} // namespace platform::gui
