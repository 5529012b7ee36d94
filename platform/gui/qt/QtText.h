#pragma once
// The Windows-1252 texts of the program on one side, Qt's Unicode strings on the other.
#include <QChar>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace platform::gui {

QString FromCp1252(std::string_view text);
// Characters with no Windows-1252 form become '?': use only where the text was checked or the
// loss is harmless (titles); editors refuse such characters at entry instead.
std::string ToCp1252(const QString& text);
// The Windows-1252 byte of one character, or nothing when it has none.
std::optional<char> Cp1252Char(QChar c);
// True when every character of the text has a Windows-1252 form.
bool FitsCp1252(const QString& text);

} // namespace platform::gui
