#include "platform/gui/qt/QtText.h"

#include "platform/text/Cp1252.h"

namespace platform::gui {

QString FromCp1252(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

std::optional<char> Cp1252Char(QChar c) {
    if (c.isSurrogate()) return std::nullopt;
    const std::string utf8 = QString(c).toStdString();
    const std::string single = Utf8ToCp1252(utf8);
    // '?' is also what the conversion gives for a character it cannot map: check the way back.
    if (single.size() != 1 || Cp1252ToUtf8(single) != utf8) return std::nullopt;
    return single[0];
}

bool FitsCp1252(const QString& text) {
    const std::string utf8 = text.toStdString();
    return Cp1252ToUtf8(Utf8ToCp1252(utf8)) == utf8;
}

} // namespace platform::gui
