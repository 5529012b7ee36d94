#include "platform/gui/qt/TSpinEdit.h"

#include "platform/gui/qt/QtText.h"

#include <QLineEdit>
#include <algorithm>
#include <charconv>
#include <climits>

namespace platform::gui {
namespace {

// A whole number in int range with an optional leading '-', nothing else (no blanks, no '+').
bool ParseInt(const QString& text, int* value) {
    const std::string s = text.toStdString();
    if (s.empty()) return false;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, *value);
    return ec == std::errc() && ptr == end;
}

} // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setAccelerated(true);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::Changed);
}

void TSpinEdit::SetMinValue(int value) {
    min_ = value;
}
void TSpinEdit::SetMaxValue(int value) {
    max_ = value;
}

int TSpinEdit::Clamp(int value) const {
    if (min_ == max_) return value;
    return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
}

int TSpinEdit::Value() const {
    int value = 0;
    return ParseInt(lineEdit()->text(), &value) ? value : min_;
}

void TSpinEdit::SetValue(int value) {
    const QString text = QString::number(Clamp(value));
    if (lineEdit()->text() != text) lineEdit()->setText(text);
}

std::string TSpinEdit::Text() const {
    return ToCp1252(lineEdit()->text());
}

void TSpinEdit::SetText(std::string_view text) {
    lineEdit()->setText(FromCp1252(text));
}

void TSpinEdit::stepBy(int steps) {
    const long long next = (long long)Value() + (long long)steps * increment_;
    SetValue(int(std::clamp<long long>(next, INT_MIN, INT_MAX)));
    selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    if (min_ == max_) return StepUpEnabled | StepDownEnabled;
    const int value = Value();
    StepEnabled enabled = StepNone;
    if (value < std::max(min_, max_)) enabled |= StepUpEnabled;
    if (value > std::min(min_, max_)) enabled |= StepDownEnabled;
    return enabled;
}

// Digits with an optional leading minus; a number outside the range is still accepted while
// typing (it is brought within the range on exit).
QValidator::State TSpinEdit::validate(QString& input, int&) const {
    if (input.isEmpty() || input == QLatin1String("-")) return QValidator::Intermediate;
    if (input.size() > 11) return QValidator::Invalid;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && c == QLatin1Char('-')))
            return QValidator::Invalid;
    }
    int value = 0;
    return ParseInt(input, &value) ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const {
    input = QString::number(Clamp(Value()));
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    SetValue(Value());
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace platform::gui
