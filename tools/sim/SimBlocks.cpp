#include "tools/sim/SimBlocks.h"

#include <array>
#include <cstring>

namespace vm415sim {
namespace {

constexpr Field Flag(std::uint16_t wire, std::uint8_t bit, std::uint16_t image) {
    return {FieldKind::Flag, wire, image, bit, 1};
}
constexpr Field FlagOne(std::uint16_t wire, std::uint8_t bit, std::uint16_t image) {
    return {FieldKind::FlagOne, wire, image, bit, 1};
}
constexpr Field Packed(std::uint16_t wire, std::uint8_t shift, std::uint8_t mask, std::uint16_t image) {
    return {FieldKind::Packed, wire, image, shift, mask};
}
constexpr Field Byte(std::uint16_t wire, std::uint16_t image) {
    return {FieldKind::Byte, wire, image};
}
constexpr Field Word(std::uint16_t wire, std::uint16_t image) {
    return {FieldKind::Word, wire, image};
}
constexpr Field DWord(std::uint16_t wire, std::uint16_t image) {
    return {FieldKind::DWord, wire, image};
}
constexpr Field Text(std::uint16_t wire, std::uint16_t image, std::uint8_t width) {
    return {FieldKind::Text, wire, image, width};
}

constexpr std::size_t WireWidth(const Field& f) {
    switch (f.Kind) {
    case FieldKind::Word:
        return 2;
    case FieldKind::DWord:
        return 4;
    case FieldKind::Text:
        return f.Width;
    default:
        return 1;
    }
}

template <std::size_t N> constexpr bool FitsIn(const std::array<Field, N>& fields, std::size_t size) {
    for (const Field& f : fields)
        if (f.Wire + WireWidth(f) > size) return false;
    return true;
}

// Commands 3 and 4. Image byte 319 has no place here, nor have bit 1 and bit 4 of byte 6, bits 4-7 of
// byte 10, or bytes 11 and 25.
constexpr std::array<Field, 49> kGeneral = [] {
    std::array<Field, 49> a{};
    std::size_t n = 0;
    a[n++] = DWord(0, 0);
    for (std::uint8_t bit = 0; bit < 8; ++bit)
        a[n++] = Flag(4, bit, 304 + bit);
    for (std::uint8_t bit = 0; bit < 5; ++bit)
        a[n++] = Flag(5, bit, 312 + bit);
    a[n++] = Packed(5, 5, 7, 317); // LinguaCentrale
    a[n++] = Flag(6, 0, 318);
    a[n++] = Flag(6, 2, 320);
    a[n++] = Flag(6, 3, 321);
    a[n++] = Packed(6, 5, 7, 322); // LivelloAntiAccecamento
    a[n++] = Byte(7, 323);
    a[n++] = Byte(8, 324);
    a[n++] = Byte(9, 325);
    for (std::uint8_t bit = 0; bit < 4; ++bit)
        a[n++] = Flag(10, bit, 326 + bit);
    for (std::uint16_t i = 0; i < 7; ++i)
        a[n++] = Byte(12 + i, 330 + i); // the times
    a[n++] = Text(19, 337, 4);
    a[n++] = Byte(23, 342);
    a[n++] = Byte(24, 343);
    a[n++] = Word(26, 344);
    a[n++] = Word(28, 346);
    a[n++] = Byte(30, 348);
    a[n++] = Text(31, 349, 15);
    a[n++] = Text(46, 365, 30);
    a[n++] = Text(76, 396, 15);
    a[n++] = Text(91, 412, 40);
    a[n++] = Text(131, 453, 5);
    for (std::uint16_t i = 0; i < 5; ++i)
        a[n++] = Text(136 + 16 * i, 459 + 17 * i, 16);
    if (n != a.size()) throw "field count";
    return a;
}();
static_assert(FitsIn(kGeneral, 216));

// Commands 18 and 19.
constexpr std::array<Field, 26> kGprsCid = [] {
    std::array<Field, 26> a{};
    std::size_t n = 0;
    for (std::uint8_t bit = 0; bit < 8; ++bit)
        a[n++] = FlagOne(0, bit, 4488 + bit);
    a[n++] = Byte(1, 4496);
    a[n++] = Byte(2, 4497);
    a[n++] = Byte(3, 4498);
    a[n++] = Text(4, 4499, 7);
    a[n++] = Text(11, 4507, 7);
    a[n++] = Text(18, 4515, 7);
    a[n++] = Text(25, 4523, 7);
    a[n++] = Text(32, 4531, 17);
    a[n++] = Text(49, 4549, 17);
    a[n++] = Text(66, 4567, 15);
    a[n++] = Text(81, 4583, 15);
    a[n++] = Text(96, 4599, 32);
    a[n++] = Text(128, 4632, 16);
    a[n++] = Text(144, 4649, 16);
    a[n++] = Text(160, 4666, 16);
    a[n++] = Word(176, 4684);
    a[n++] = Text(178, 4686, 16);
    a[n++] = Word(194, 4704);
    if (n != a.size()) throw "field count";
    return a;
}();
static_assert(FitsIn(kGprsCid, 196));

// Commands 20 and 21: two tables of 19 three-digit codes; 4 image bytes but 3 wire bytes each.
constexpr std::array<Field, 38> kCidTables = [] {
    std::array<Field, 38> a{};
    for (std::uint16_t i = 0; i < 19; ++i) {
        a[i] = Text(3 * i, img::TabellaEventiCid1 + 4 * i, 3);
        a[19 + i] = Text(57 + 3 * i, img::TabellaEventiCid2 + 4 * i, 3);
    }
    return a;
}();
static_assert(FitsIn(kCidTables, 114));

// One zone, relative to its 40-byte record.
constexpr std::array<Field, 15> kZone = {
    Flag(0, 0, 0),  Flag(0, 1, 1), Flag(0, 2, 2), Flag(0, 3, 3), Packed(0, 4, 3, 4),
    Flag(0, 6, 5),  Flag(0, 7, 6), Flag(1, 0, 7), Flag(1, 1, 8), Flag(1, 2, 9),
    Flag(1, 3, 10), Byte(2, 37),   Byte(3, 38),   Byte(4, 39),   Text(5, 11, 25),
};
static_assert(FitsIn(kZone, 30));

// One keypad, relative to its 21-byte record; wire byte 1 is reserved.
constexpr std::array<Field, 5> kKeypad = {
    Flag(0, 0, 17), Byte(2, 18), Byte(3, 19), Byte(4, 20), Text(5, 0, 16),
};
static_assert(FitsIn(kKeypad, 21));

// One telephone number, relative to its 26-byte record.
constexpr std::array<Field, 11> kPhone = {
    Flag(0, 0, 0), Flag(0, 1, 1), Flag(0, 2, 2), Flag(0, 3, 3), Flag(0, 4, 4),   Flag(0, 5, 5),
    Flag(0, 6, 6), Flag(1, 0, 7), Flag(1, 1, 8), Flag(1, 2, 9), Text(2, 10, 15),
};
static_assert(FitsIn(kPhone, 17));

} // namespace

const BlockLayout GeneralBlock{kGeneral, 216};
const BlockLayout GprsCidBlock{kGprsCid, 196};
const BlockLayout CidTables{kCidTables, 114};
const BlockLayout ZoneRecord{kZone, 30};
const BlockLayout KeypadRecord{kKeypad, 21};
const BlockLayout PhoneRecord{kPhone, 17};

void EncodeBlock(const BlockLayout& layout, const Image& image, std::size_t base,
                 std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    out.resize(start + layout.Size, 0);
    std::uint8_t* p = out.data() + start;
    for (const Field& f : layout.Fields) {
        const std::size_t at = base + f.Image;
        switch (f.Kind) {
        case FieldKind::Flag:
            if (image[at] != 0) p[f.Wire] |= static_cast<std::uint8_t>(1u << f.Width);
            break;
        case FieldKind::FlagOne:
            if (image[at] == 1) p[f.Wire] |= static_cast<std::uint8_t>(1u << f.Width);
            break;
        case FieldKind::Packed:
            p[f.Wire] |= static_cast<std::uint8_t>((image[at] & f.Mask) << f.Width);
            break;
        case FieldKind::Byte:
            p[f.Wire] = image[at];
            break;
        case FieldKind::Word:
            p[f.Wire] = image[at];
            p[f.Wire + 1] = image[at + 1];
            break;
        case FieldKind::DWord:
            std::memcpy(p + f.Wire, image.data() + at, 4);
            break;
        case FieldKind::Text: {
            const std::string text = ReadText(image, at, f.Width);
            std::memcpy(p + f.Wire, text.data(), text.size());
            break;
        }
        }
    }
}

void DecodeBlock(const BlockLayout& layout, std::span<const std::uint8_t> payload, Image& image,
                 std::size_t base) {
    if (payload.size() < layout.Size) return;
    const std::uint8_t* p = payload.data();
    for (const Field& f : layout.Fields) {
        const std::size_t at = base + f.Image;
        switch (f.Kind) {
        case FieldKind::Flag:
        case FieldKind::FlagOne:
            image[at] = (p[f.Wire] >> f.Width) & 1u;
            break;
        case FieldKind::Packed:
            image[at] = static_cast<std::uint8_t>((p[f.Wire] >> f.Width) & f.Mask);
            break;
        case FieldKind::Byte:
            image[at] = p[f.Wire];
            break;
        case FieldKind::Word:
            image[at] = p[f.Wire];
            image[at + 1] = p[f.Wire + 1];
            break;
        case FieldKind::DWord:
            std::memcpy(image.data() + at, p + f.Wire, 4);
            break;
        case FieldKind::Text: {
            std::size_t len = 0;
            while (len < f.Width && p[f.Wire + len] != 0)
                ++len;
            WriteText(image, at, f.Width, std::string_view(reinterpret_cast<const char*>(p + f.Wire), len));
            break;
        }
        }
    }
}

} // namespace vm415sim
