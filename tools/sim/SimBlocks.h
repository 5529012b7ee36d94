#pragma once
// The payloads the panel sends and receives, each a list of fields with their place on the wire and
// in the image. The panel answers reads by coding from its image and applies writes by decoding
// into it, through the same list, so that a field cannot travel one way and not the other.
#include "tools/sim/SimImage.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vm415sim {

enum class FieldKind : std::uint8_t {
    Flag,   // one bit of a wire byte <-> a 0/1 image byte; sent set when the image byte is non-zero
    FlagOne, // the same, but sent set only when the image byte is exactly 1 (the Contact-ID block)
    Packed, // a small number in some bits of a wire byte
    Byte,
    Word,  // 16-bit little-endian
    DWord, // 32-bit little-endian
    Text,  // `Width` wire bytes, zero-filled <-> a length byte and `Width` characters
};

struct Field {
    FieldKind Kind;
    std::uint16_t Wire;     // byte offset in the payload
    std::uint16_t Image;    // byte offset in the image, relative to the record's base
    std::uint8_t Width = 0; // Text: characters; Flag: bit number; Packed: shift
    std::uint8_t Mask = 0;  // Packed: mask applied before the shift
};

struct BlockLayout {
    std::span<const Field> Fields;
    std::size_t Size; // payload bytes
};

extern const BlockLayout GeneralBlock; // commands 3 and 4
extern const BlockLayout GprsCidBlock; // commands 18 and 19
extern const BlockLayout CidTables;    // commands 20 and 21
extern const BlockLayout ZoneRecord;   // in commands 13 and 14, relative to a zone record
extern const BlockLayout KeypadRecord; // in commands 16 and 17, relative to a keypad record
extern const BlockLayout PhoneRecord;  // in commands 10 and 11, relative to a number record

// Appends the payload coded from the record at `base`; reserved bits and bytes go out as 0.
void EncodeBlock(const BlockLayout& layout, const Image& image, std::size_t base,
                 std::vector<std::uint8_t>& out);
// Stores the fields of `payload` (exactly layout.Size bytes) into the record at `base`; reserved
// bits and bytes are ignored, and image bytes that no field names are left alone.
void DecodeBlock(const BlockLayout& layout, std::span<const std::uint8_t> payload, Image& image,
                 std::size_t base);

} // namespace vm415sim
