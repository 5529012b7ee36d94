#pragma once
// The edit masks of the windows, in the Delphi notation they were designed with:
//   "<positions>;<save literals>;<blank>"  e.g. "!99/99/00;1;_", "ccccccccccccccccccccccccc;0; "
// Position characters: 0 digit required, 9 digit optional, # digit or sign optional, L/l letter
// required/optional, A/a letter or digit required/optional, C/c any character required/optional;
// '>' upper-cases and '<' lower-cases the positions that follow ("<>" ends either), '\' makes the
// next character a literal, '_' is a literal blank, '!' anywhere puts the unfilled optional
// positions at the left when a shorter text is set; every other character is a literal.
// Save literals "0" means Text() leaves the literals out (default "1"); the blank (default '_') is
// what an unfilled position shows.
//
// Characters are Windows-1252 bytes. This class knows no Qt: the masked edit keeps one Cells value
// and asks the mask what to show and what Text() is.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gui {

class DelphiMask {
  public:
    enum class Kind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
    enum class Case { Keep, Upper, Lower };
    struct Position {
        Kind kind = Kind::Literal;
        bool required = false;
        char literal = 0; // Kind::Literal only
        Case letterCase = Case::Keep;
    };
    // One entry per position; literal positions are always empty.
    using Cells = std::vector<std::optional<char>>;

    DelphiMask() = default; // no mask: a plain edit
    explicit DelphiMask(std::string_view delphiMask);

    bool IsMasked() const { return !positions_.empty(); }
    const std::string& Source() const { return source_; }
    const std::vector<Position>& Positions() const { return positions_; }
    std::size_t Size() const { return positions_.size(); }
    bool SaveLiterals() const { return saveLiterals_; }
    char Blank() const { return blank_; }
    bool BlanksLeft() const { return blanksLeft_; }
    bool IsLiteral(std::size_t pos) const { return positions_[pos].kind == Kind::Literal; }

    // The character as the position stores it (case applied), or nothing when it does not fit.
    std::optional<char> Fit(std::size_t pos, char c) const;

    Cells Empty() const { return Cells(positions_.size()); }
    // A Text() value back into cells: with literals saved the text is read position by position
    // (whatever stands at a literal's place is skipped, and a blank is an unfilled position, as
    // ToText writes it), otherwise its characters fill the non-literal positions in order (a blank
    // there is a character, so that a description keeps its blanks). A character that does not
    // fit leaves its position unfilled; characters beyond the mask are cut. Either way
    // ToText(FromText(t)) == t for every text t that fits the mask.
    Cells FromText(std::string_view text) const;
    // With literals saved: every position, unfilled ones as blanks (so an empty date reads
    // "  /  /  "). Without: the non-literal positions up to the last filled one, so that a
    // description set as "Zona 01" reads back "Zona 01".
    std::string ToText(const Cells& cells) const;
    // What the edit shows: literals, characters, and the blank character where unfilled.
    std::string Display(const Cells& cells) const;
    // Every required position filled.
    bool IsComplete(const Cells& cells) const;

    // Typing helpers: the first non-literal position at or after `pos` (Size() when none), and
    // the last one before `pos` (npos when none).
    std::size_t NextEditable(std::size_t pos) const;
    std::size_t PreviousEditable(std::size_t pos) const;

  private:
    std::string source_;
    std::vector<Position> positions_;
    bool saveLiterals_ = true;
    char blank_ = '_';
    bool blanksLeft_ = false;
};

// Whether a Windows-1252 character is a letter (ASCII or one of the accented letters).
bool IsCp1252Letter(char c);

} // namespace platform::gui
