#include "platform/text/Cp1252.h"

#include <cstdint>

namespace {

// 0x80..0x9F; 0 marks the five positions Windows-1252 leaves undefined.
constexpr char16_t Alti[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                               0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AggiungiUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

char DaUnicode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (int i = 0; i < 32; ++i)
        if (Alti[i] != 0 && Alti[i] == c) return char(0x80 + i);
    return '?';
}

} // namespace

std::string Cp1252ToUtf8(std::string_view Testo) {
    std::string out;
    out.reserve(Testo.size());
    for (unsigned char b : Testo) {
        if (b >= 0x80 && b < 0xA0)
            // The undefined positions travel through as the C1 control of the same number.
            AggiungiUtf8(out, Alti[b - 0x80] ? Alti[b - 0x80] : char32_t(b));
        else
            AggiungiUtf8(out, b);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view Testo) {
    std::string out;
    out.reserve(Testo.size());
    std::size_t i = 0;
    while (i < Testo.size()) {
        const unsigned char b = std::uint8_t(Testo[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + std::size_t(extra) >= Testo.size() + (extra == 0)) {
            out += '?';
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : char32_t(b & (0x3F >> extra));
        bool valido = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char t = std::uint8_t(Testo[i + std::size_t(k)]);
            if ((t & 0xC0) != 0x80) {
                valido = false;
                break;
            }
            c = (c << 6) | (t & 0x3F);
        }
        if (!valido) {
            out += '?';
            ++i;
            continue;
        }
        // C1 controls stand for the undefined positions and come back as themselves.
        out += (c >= 0x80 && c < 0xA0 && Alti[c - 0x80] == 0) ? char(c) : DaUnicode(c);
        i += std::size_t(extra) + 1;
    }
    return out;
}
