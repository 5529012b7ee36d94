#include "platform/gui/qt/DelphiMask.h"

namespace platform::gui {
namespace {

unsigned char U(char c) {
    return static_cast<unsigned char>(c);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Printable Windows-1252: no control characters and none of the five undefined positions.
bool IsPrintable(char c) {
    const unsigned char b = U(c);
    if (b < 0x20 || b == 0x7F) return false;
    return b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D;
}

char ToUpper(char c) {
    const unsigned char b = U(c);
    if (b >= 'a' && b <= 'z') return char(b - 32);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return char(b - 32);
    if (b == 0x9A || b == 0x9C || b == 0x9E) return char(b - 16);
    if (b == 0xFF) return char(0x9F);
    return c;
}

char ToLower(char c) {
    const unsigned char b = U(c);
    if (b >= 'A' && b <= 'Z') return char(b + 32);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return char(b + 32);
    if (b == 0x8A || b == 0x8C || b == 0x8E) return char(b + 16);
    if (b == 0x9F) return char(0xFF);
    return c;
}

// Splits at unescaped ';' (a "\;" belongs to the positions).
std::vector<std::string_view> Fields(std::string_view mask) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '\\') {
            ++i;
        } else if (mask[i] == ';') {
            fields.push_back(mask.substr(start, i - start));
            start = i + 1;
            if (fields.size() == 2) break; // the blank may itself be ';'
        }
    }
    fields.push_back(mask.substr(start));
    return fields;
}

} // namespace

bool IsCp1252Letter(char c) {
    const unsigned char b = U(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return true;
    if (b >= 0xC0) return b != 0xD7 && b != 0xF7;
    return b == 0x83 || b == 0x8A || b == 0x8C || b == 0x8E || b == 0x9A || b == 0x9C || b == 0x9E ||
           b == 0x9F || b == 0xAA || b == 0xB5 || b == 0xBA;
}

DelphiMask::DelphiMask(std::string_view delphiMask) : source_(delphiMask) {
    const auto fields = Fields(delphiMask);
    if (fields.size() > 1) saveLiterals_ = fields[1] != "0";
    if (fields.size() > 2 && !fields[2].empty()) blank_ = fields[2][0];

    const std::string_view layout = fields[0];
    Case letterCase = Case::Keep;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const char c = layout[i];
        Position p;
        p.letterCase = letterCase;
        switch (c) {
        case '!':
            blanksLeft_ = true;
            continue;
        case '>':
            letterCase = Case::Upper;
            continue;
        case '<':
            if (i + 1 < layout.size() && layout[i + 1] == '>') {
                ++i;
                letterCase = Case::Keep;
            } else {
                letterCase = Case::Lower;
            }
            continue;
        case '\\':
            if (++i >= layout.size()) continue; // a lone trailing '\' escapes nothing
            p.literal = layout[i];
            break;
        case '_':
            p.literal = ' ';
            break;
        case '0':
            p.kind = Kind::Digit, p.required = true;
            break;
        case '9':
            p.kind = Kind::Digit;
            break;
        case '#':
            p.kind = Kind::DigitOrSign;
            break;
        case 'L':
            p.kind = Kind::Letter, p.required = true;
            break;
        case 'l':
            p.kind = Kind::Letter;
            break;
        case 'A':
            p.kind = Kind::LetterOrDigit, p.required = true;
            break;
        case 'a':
            p.kind = Kind::LetterOrDigit;
            break;
        case 'C':
            p.kind = Kind::Any, p.required = true;
            break;
        case 'c':
            p.kind = Kind::Any;
            break;
        default:
            p.literal = c;
            break;
        }
        positions_.push_back(p);
    }
}

std::optional<char> DelphiMask::Fit(std::size_t pos, char c) const {
    if (pos >= positions_.size() || !IsPrintable(c)) return std::nullopt;
    const Position& p = positions_[pos];
    bool ok = false;
    switch (p.kind) {
    case Kind::Literal:
        return std::nullopt;
    case Kind::Digit:
        ok = IsDigit(c);
        break;
    case Kind::DigitOrSign:
        ok = IsDigit(c) || c == '+' || c == '-';
        break;
    case Kind::Letter:
        ok = IsCp1252Letter(c);
        break;
    case Kind::LetterOrDigit:
        ok = IsCp1252Letter(c) || IsDigit(c);
        break;
    case Kind::Any:
        ok = true;
        break;
    }
    if (!ok) return std::nullopt;
    if (p.letterCase == Case::Upper) return ToUpper(c);
    if (p.letterCase == Case::Lower) return ToLower(c);
    return c;
}

DelphiMask::Cells DelphiMask::FromText(std::string_view text) const {
    Cells cells = Empty();
    std::size_t editable = 0;
    for (const Position& p : positions_)
        editable += p.kind != Kind::Literal;
    const std::size_t expected = saveLiterals_ ? positions_.size() : editable;
    std::string padded;
    if (blanksLeft_ && text.size() < expected) {
        padded.assign(expected - text.size(), ' ');
        padded.append(text);
        text = padded;
    }
    if (saveLiterals_) {
        // Such a text shows its unfilled positions as blanks: read a blank back as unfilled.
        for (std::size_t i = 0; i < positions_.size() && i < text.size(); ++i)
            if (!IsLiteral(i) && text[i] != ' ') cells[i] = Fit(i, text[i]);
    } else {
        std::size_t t = 0;
        for (std::size_t i = 0; i < positions_.size() && t < text.size(); ++i)
            if (!IsLiteral(i)) cells[i] = Fit(i, text[t++]);
    }
    return cells;
}

std::string DelphiMask::ToText(const Cells& cells) const {
    std::string text;
    if (saveLiterals_) {
        for (std::size_t i = 0; i < positions_.size(); ++i)
            text += IsLiteral(i) ? positions_[i].literal : cells[i].value_or(' ');
        return text;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        if (IsLiteral(i)) continue;
        text += cells[i].value_or(' ');
        if (cells[i]) kept = text.size();
    }
    text.resize(kept);
    return text;
}

std::string DelphiMask::Display(const Cells& cells) const {
    std::string text;
    for (std::size_t i = 0; i < positions_.size(); ++i)
        text += IsLiteral(i) ? positions_[i].literal : cells[i].value_or(blank_);
    return text;
}

bool DelphiMask::IsComplete(const Cells& cells) const {
    for (std::size_t i = 0; i < positions_.size(); ++i)
        if (positions_[i].required && !cells[i]) return false;
    return true;
}

std::size_t DelphiMask::NextEditable(std::size_t pos) const {
    while (pos < positions_.size() && IsLiteral(pos))
        ++pos;
    return pos < positions_.size() ? pos : positions_.size();
}

std::size_t DelphiMask::PreviousEditable(std::size_t pos) const {
    while (pos > 0) {
        --pos;
        if (!IsLiteral(pos)) return pos;
    }
    return std::string::npos;
}

} // namespace platform::gui
