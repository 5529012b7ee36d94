// The simulated panel's command handling, checked against payloads built here from the layout
// tables with every field distinct, so that a wrong offset, bit or width shows.
#include "tools/sim/SimPanel.h"

#include "tools/sim/SimClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

using vm415sim::Frame;
using vm415sim::SimPanel;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Request(SimPanel& panel, std::uint8_t code, Bytes data, std::size_t expectedReply) {
    const auto reply = panel.Handle(Frame{code, std::move(data)});
    EXPECT_TRUE(reply) << "command " << int(code);
    if (!reply) return {};
    EXPECT_EQ(reply->Command, code);
    EXPECT_EQ(reply->Data.size(), expectedReply) << "command " << int(code);
    return reply->Data;
}

// An image where every byte holds something, so that a byte written by mistake shows.
Bytes NoiseImage(std::uint8_t salt) {
    Bytes image(4864);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + salt) | 0x80;
    return image;
}

void Load(SimPanel& panel, const Bytes& image) {
    std::string error;
    ASSERT_TRUE(panel.SetImageBytes(image, error)) << error;
}

void PutText(Bytes& image, std::size_t offset, std::size_t width, const std::string& text) {
    image[offset] = static_cast<std::uint8_t>(text.size());
    for (std::size_t i = 0; i < width; ++i)
        image[offset + 1 + i] = i < text.size() ? text[i] : 0;
}

void PutWire(Bytes& wire, std::size_t offset, std::size_t width, const std::string& text) {
    for (std::size_t i = 0; i < width; ++i)
        wire[offset + i] = i < text.size() ? text[i] : 0;
}

std::string GetText(const Bytes& image, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(image.data() + offset + 1), image[offset]);
}

// After a write: the bytes in `touched` hold `expected`'s values, every other byte is as before.
void ExpectOnlyTouched(const Bytes& before, const Bytes& after, const Bytes& expected,
                       const std::set<std::size_t>& touched) {
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (touched.count(i))
            EXPECT_EQ(int(after[i]), int(expected[i])) << "image byte " << i;
        else
            EXPECT_EQ(int(after[i]), int(before[i])) << "image byte " << i << " should not change";
    }
}

std::set<std::size_t> Range(std::size_t from, std::size_t to, std::set<std::size_t> s = {}) {
    for (std::size_t i = from; i < to; ++i)
        s.insert(i);
    return s;
}

// The general block of this file's image, as the layout table says it travels.
struct GeneralFixture {
    Bytes image = Bytes(4864, 0);
    Bytes wire = Bytes(216, 0);

    GeneralFixture() {
        image[0] = 0x01, image[1] = 0x02, image[2] = 0x03, image[3] = 0x04;
        wire[0] = 0x01, wire[1] = 0x02, wire[2] = 0x03, wire[3] = 0x04;
        const std::uint8_t opt[8] = {1, 0, 1, 1, 0, 0, 1, 0}; // 304..311
        for (int i = 0; i < 8; ++i)
            image[304 + i] = opt[i];
        wire[4] = 0x4D;
        image[312] = 0, image[313] = 1, image[314] = 1, image[315] = 0, image[316] = 1, image[317] = 5;
        wire[5] = 0x16 | (5 << 5);
        image[318] = 1, image[320] = 1, image[321] = 0, image[322] = 4;
        wire[6] = 0x01 | 0x04 | (4 << 5);
        image[323] = 26, image[324] = 13, image[325] = 7;
        wire[7] = 26, wire[8] = 13, wire[9] = 7;
        image[326] = 0, image[327] = 1, image[328] = 0, image[329] = 1;
        wire[10] = 0x0A;
        for (int i = 0; i < 7; ++i)
            image[330 + i] = wire[12 + i] = static_cast<std::uint8_t>(31 + i);
        PutText(image, 337, 4, "1234"), PutWire(wire, 19, 4, "1234");
        image[342] = wire[23] = 9;
        image[343] = wire[24] = 5;
        image[344] = wire[26] = 0xE7, image[345] = wire[27] = 0x03;
        image[346] = wire[28] = 0x02, image[347] = wire[29] = 0x01;
        image[348] = wire[30] = 'S';
        PutText(image, 349, 15, "0123456789"), PutWire(wire, 31, 15, "0123456789");
        const std::string sms = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd"; // fills its 30 characters
        PutText(image, 365, 30, sms), PutWire(wire, 46, 30, sms);
        PutText(image, 396, 15, "555"), PutWire(wire, 76, 15, "555");
        const std::string fixed = "fixed text of forty characters, exactly!";
        PutText(image, 412, 40, fixed), PutWire(wire, 91, 40, fixed);
        PutText(image, 453, 5, "22201"), PutWire(wire, 131, 5, "22201");
        for (int i = 0; i < 5; ++i) {
            const std::string name = i == 4 ? "sixteen chars #4" : "message " + std::to_string(i);
            PutText(image, 459 + 17 * i, 16, name), PutWire(wire, 136 + 16 * i, 16, name);
        }
    }
};

} // namespace

TEST(SimPanel, EveryCommandAnswersWithItsTableLengthsAndNothingElse) {
    struct Row {
        std::uint8_t code, request, reply;
    };
    const Row table[] = {{1, 0, 3},    {2, 0, 0},    {3, 0, 216},  {4, 216, 0},  {5, 0, 5},    {6, 5, 0},
                         {7, 0, 3},    {8, 1, 9},    {9, 0, 0},    {10, 0, 136}, {11, 136, 0}, {13, 1, 241},
                         {14, 241, 0}, {15, 1, 161}, {16, 1, 169}, {17, 169, 0}, {18, 0, 196}, {19, 196, 0},
                         {20, 0, 114}, {21, 114, 0}, {22, 0, 0}};
    for (const Row& r : table) {
        SimPanel panel;
        Bytes data(r.request, 0);
        if (r.code == 6) data = {12, 30, 15, 6, 24}; // a real date
        Request(panel, r.code, data, r.reply);
        // One byte too many or too few: a panel does not guess, it stays silent.
        data.push_back(0);
        EXPECT_FALSE(panel.Handle(Frame{r.code, data})) << "command " << int(r.code) << " too long";
        if (r.request > 0) {
            data.resize(r.request - 1);
            EXPECT_FALSE(panel.Handle(Frame{r.code, data})) << "command " << int(r.code) << " too short";
        }
    }
    SimPanel panel;
    std::vector<std::string> notes;
    panel.SetLog([&](SimPanel::LogLevel level, const std::string& text) {
        if (level == SimPanel::LogLevel::Note) notes.push_back(text);
    });
    for (std::uint8_t code : {0, 12, 23, 255})
        EXPECT_FALSE(panel.Handle(Frame{code, {}})) << int(code);
    ASSERT_EQ(notes.size(), 4u) << "every silence is explained";
    EXPECT_NE(notes[1].find("12"), std::string::npos);
}

TEST(SimPanel, IdentificationBytesAreSettable) {
    SimPanel panel;
    EXPECT_EQ(Request(panel, 1, {}, 3), (Bytes{164, 11, 1}));
    panel.SetModel(165);
    panel.SetVersion(10);
    panel.SetProgramming(0);
    EXPECT_EQ(Request(panel, 1, {}, 3), (Bytes{165, 10, 0}));
}

TEST(SimPanel, GeneralBlockReadsEveryFieldInPlace) {
    GeneralFixture fx;
    // Non-zero flag bytes other than 1 still count as set; image byte 319 never travels.
    fx.image[306] = 2;
    fx.wire[4] |= 0x04;
    fx.image[319] = 1;
    // The language travels in three bits: 9 goes as 1.
    fx.image[317] = 9;
    fx.wire[5] = static_cast<std::uint8_t>((fx.wire[5] & 0x1F) | (1 << 5));
    SimPanel panel;
    Load(panel, fx.image);
    const Bytes reply = Request(panel, 3, {}, 216);
    for (std::size_t i = 0; i < 216; ++i)
        EXPECT_EQ(int(reply[i]), int(fx.wire[i])) << "wire byte " << i;
}

TEST(SimPanel, GeneralBlockWriteStoresTheTableAndNothingElse) {
    GeneralFixture fx;
    // Reserved bits and bytes are set on the wire; the panel must ignore them.
    Bytes wire = fx.wire;
    wire[6] |= 0x02 | 0x10;
    wire[10] |= 0xF0;
    wire[11] = 0xAA;
    wire[25] = 0xBB;
    // A text field that holds A, B, a 0 byte and then C keeps only AB.
    PutWire(wire, 76, 15, "");
    wire[76] = 'A', wire[77] = 'B', wire[79] = 'C';
    Bytes expected = fx.image;
    PutText(expected, 396, 15, "AB");

    SimPanel panel;
    const Bytes before = NoiseImage(3);
    Load(panel, before);
    Request(panel, 4, wire, 0);
    // Everything from 304 to 543 except image byte 319, and the panel code at 0..3.
    std::set<std::size_t> touched = Range(0, 4, Range(304, 544));
    touched.erase(319);
    ExpectOnlyTouched(before, panel.ImageBytes(), expected, touched);

    // The three language bits give 0..7 whatever the program meant.
    wire[5] = 0xE0;
    Request(panel, 4, wire, 0);
    EXPECT_EQ(panel.ImageBytes()[317], 7);
    EXPECT_EQ(panel.ImageBytes()[312], 0);
}

TEST(SimPanel, TextsAreCutToTheirFieldAndZeroFilled) {
    Bytes image(4864, 0);
    // A length byte larger than the field (a damaged image) is held to the field's width.
    image[349] = 200;
    std::memset(image.data() + 350, 'x', 15);
    image[365] = 3;
    std::memcpy(image.data() + 366, "abcJUNK", 7);
    SimPanel panel;
    Load(panel, image);
    const Bytes reply = Request(panel, 3, {}, 216);
    EXPECT_EQ(std::string(reply.begin() + 31, reply.begin() + 46), std::string(15, 'x'));
    EXPECT_EQ(std::string(reply.begin() + 46, reply.begin() + 49), "abc");
    EXPECT_EQ(Bytes(reply.begin() + 49, reply.begin() + 76), Bytes(27, 0));
}

TEST(SimPanel, GprsContactIdBlockTravelsBothWays) {
    Bytes image(4864, 0), wire(196, 0);
    const std::uint8_t flags[8] = {1, 1, 0, 1, 0, 0, 1, 0};
    for (int i = 0; i < 8; ++i)
        image[4488 + i] = flags[i];
    wire[0] = 0x4B;
    image[4496] = wire[1] = 99, image[4497] = wire[2] = 23, image[4498] = wire[3] = 58;
    struct T {
        std::size_t img, at, width;
        std::string text;
    };
    const T texts[] = {
        {4499, 4, 7, "RCV1abc"},
        {4507, 11, 7, "R2"},
        {4515, 18, 7, "PA1"},
        {4523, 25, 7, "PA2xyz!"},
        {4531, 32, 17, "account one 17ch"},
        {4549, 49, 17, "acct2"},
        {4567, 66, 15, "0123,456"},
        {4583, 81, 15, "987654321012345"},
        {4599, 96, 32, "internet.apn.example.com/32chars"},
        {4632, 128, 16, "user"},
        {4649, 144, 16, "secret-password!"},
        {4666, 160, 16, "192.168.100.200"},
        {4686, 178, 16, "10.0.0.2"},
    };
    for (const T& t : texts)
        PutText(image, t.img, t.width, t.text), PutWire(wire, t.at, t.width, t.text);
    image[4684] = wire[176] = 0x34, image[4685] = wire[177] = 0x12;
    image[4704] = wire[194] = 0xCD, image[4705] = wire[195] = 0xAB;

    SimPanel panel;
    Load(panel, image);
    EXPECT_EQ(Request(panel, 18, {}, 196), wire);
    // This block's flags are set only by a byte of exactly 1: a 2 (a damaged file) reads as off.
    image[4488] = 2;
    Load(panel, image);
    EXPECT_EQ(Request(panel, 18, {}, 196)[0], wire[0] & ~1u);
    image[4488] = 1;

    const Bytes before = NoiseImage(5);
    Load(panel, before);
    Request(panel, 19, wire, 0);
    std::set<std::size_t> touched = Range(4488, 4706);
    touched.erase(4683), touched.erase(4703); // alignment bytes
    ExpectOnlyTouched(before, panel.ImageBytes(), image, touched);
}

TEST(SimPanel, ContactIdTablesTravelThreeDigitsAnEntry) {
    Bytes image(4864, 0), wire(114, 0);
    for (int i = 0; i < 19; ++i) {
        const std::string a = std::to_string(100 + i), b = std::to_string(900 - i);
        PutText(image, 4706 + 4 * i, 3, a), PutWire(wire, 3 * i, 3, a);
        PutText(image, 4782 + 4 * i, 3, b), PutWire(wire, 57 + 3 * i, 3, b);
    }
    SimPanel panel;
    Load(panel, image);
    EXPECT_EQ(Request(panel, 20, {}, 114), wire);

    const Bytes before = NoiseImage(9);
    Load(panel, before);
    Request(panel, 21, wire, 0);
    ExpectOnlyTouched(before, panel.ImageBytes(), image, Range(4706, 4858));
}

TEST(SimPanel, TelephoneRecordsTravelInOrder) {
    Bytes image(4864, 0), wire(136, 0);
    for (int n = 0; n < 8; ++n) {
        const std::size_t rec = 4280 + 26 * n, at = 17 * n;
        // Number n has flag k set when bit k of (n * 37 + 5) is, over the ten flags.
        const unsigned pattern = (n * 37u + 5u) & 0x3FF;
        for (int k = 0; k < 10; ++k)
            image[rec + k] = (pattern >> k) & 1;
        wire[at] = pattern & 0x7F;
        wire[at + 1] = (pattern >> 7) & 0x07;
        // Appended, not "0" + std::to_string(n): GCC 12 at -O3 reports a bogus overlapping copy for it.
        const std::string number =
            n == 7 ? "+39012345678901" : std::string("0").append(std::to_string(n)) + "55512";
        PutText(image, rec + 10, 15, number), PutWire(wire, at + 2, 15, number);
    }
    SimPanel panel;
    Load(panel, image);
    EXPECT_EQ(Request(panel, 10, {}, 136), wire);

    Bytes reserved = wire;
    for (int n = 0; n < 8; ++n)
        reserved[17 * n] |= 0x80, reserved[17 * n + 1] |= 0xF8;
    const Bytes before = NoiseImage(1);
    Load(panel, before);
    Request(panel, 11, reserved, 0);
    ExpectOnlyTouched(before, panel.ImageBytes(), image, Range(4280, 4488));
}

namespace {

// Zone slot z as it travels: every field distinct from the slot's neighbours.
void MakeZone(Bytes& image, Bytes& wire, std::size_t wireAt, std::size_t z) {
    const std::size_t rec = 544 + 40 * z;
    const unsigned bits = (z * 53u + 11u) & 0x7FF; // 11 flags and the two group bits
    image[rec + 0] = bits & 1, image[rec + 1] = (bits >> 1) & 1, image[rec + 2] = (bits >> 2) & 1;
    image[rec + 3] = (bits >> 3) & 1, image[rec + 4] = (bits >> 4) % 3, image[rec + 5] = (bits >> 6) & 1;
    image[rec + 6] = (bits >> 7) & 1;
    for (int k = 0; k < 4; ++k)
        image[rec + 7 + k] = (bits >> (8 + k % 3)) & 1 ? 1 : 0;
    image[rec + 37] = static_cast<std::uint8_t>(z), image[rec + 38] = 0xA0,
                image[rec + 39] = static_cast<std::uint8_t>(255 - z);
    const std::string name = "zone " + std::to_string(z) + (z % 2 ? " with a 25-char text" : "");
    PutText(image, rec + 11, 25, name.substr(0, 25));

    wire[wireAt] = static_cast<std::uint8_t>(image[rec] | image[rec + 1] << 1 | image[rec + 2] << 2 |
                                             image[rec + 3] << 3 | image[rec + 4] << 4 | image[rec + 5] << 6 |
                                             image[rec + 6] << 7);
    wire[wireAt + 1] = static_cast<std::uint8_t>(image[rec + 7] | image[rec + 8] << 1 | image[rec + 9] << 2 |
                                                 image[rec + 10] << 3);
    wire[wireAt + 2] = image[rec + 37], wire[wireAt + 3] = image[rec + 38],
                  wire[wireAt + 4] = image[rec + 39];
    PutWire(wire, wireAt + 5, 25, name.substr(0, 25));
}

void MakeKeypad(Bytes& image, Bytes& wire, std::size_t wireAt, std::size_t k) {
    const std::size_t rec = 3944 + 21 * k;
    const std::string name = "keypad " + std::to_string(k) + (k == 9 ? " 16 ch" : "");
    PutText(image, rec, 16, name);
    image[rec + 17] = k % 2;
    image[rec + 18] = static_cast<std::uint8_t>(0x10 + k), image[rec + 19] = 0x5A,
                image[rec + 20] = static_cast<std::uint8_t>(0xF0 - k);
    wire[wireAt] = k % 2;
    wire[wireAt + 2] = image[rec + 18], wire[wireAt + 3] = image[rec + 19],
                  wire[wireAt + 4] = image[rec + 20];
    PutWire(wire, wireAt + 5, 16, name);
}

} // namespace

TEST(SimPanel, ZoneBlocksEchoTheirNumberAndCoverEightSlots) {
    Bytes image(4864, 0);
    std::vector<Bytes> wires(11, Bytes(241, 0));
    for (std::size_t b = 0; b < 11; ++b) {
        wires[b][0] = static_cast<std::uint8_t>(b);
        for (std::size_t k = 0; k < 8 && 8 * b + k < 85; ++k)
            MakeZone(image, wires[b], 1 + 30 * k, 8 * b + k);
    }
    SimPanel panel;
    Load(panel, image);
    for (std::uint8_t b = 0; b < 11; ++b)
        EXPECT_EQ(Request(panel, 13, {b}, 241), wires[b]) << "block " << int(b);
    // Block 10 holds slots 80..84 and three empty records.
    EXPECT_EQ(Bytes(wires[10].begin() + 151, wires[10].end()), Bytes(90, 0));
    // A block past the zones answers with its number and empty records.
    Bytes empty(241, 0);
    empty[0] = 11;
    EXPECT_EQ(Request(panel, 13, {11}, 241), empty);

    // Writing every block back into a noisy image rebuilds exactly the zone records; the records
    // past slot 84 in block 10 are ignored even when they hold something.
    const Bytes before = NoiseImage(7);
    Load(panel, before);
    for (std::uint8_t b = 0; b < 11; ++b) {
        Bytes w = wires[b];
        if (b == 10)
            for (std::size_t i = 151; i < w.size(); ++i)
                w[i] = 0xEE;
        Request(panel, 14, w, 0);
    }
    Request(panel, 14, Bytes(241, 0xEE), 0); // block 238: nothing to store, still acknowledged
    ExpectOnlyTouched(before, panel.ImageBytes(), image, Range(544, 3944));
}

TEST(SimPanel, ZoneGroupTravelsInTwoBits) {
    Bytes image(4864, 0);
    image[544 + 40 * 3 + 4] = 5; // slot 3's TipoSensore: only 5 & 3 = 1 fits
    SimPanel panel;
    Load(panel, image);
    const Bytes reply = Request(panel, 13, {0}, 241);
    EXPECT_EQ(reply[1 + 30 * 3], 0x10);

    Bytes wire(241, 0);
    wire[1 + 30 * 2] = 0x30;
    Request(panel, 14, wire, 0);
    EXPECT_EQ(panel.ImageBytes()[544 + 40 * 2 + 4], 3);
    EXPECT_EQ(panel.ImageBytes()[544 + 40 * 2 + 0], 0);
}

TEST(SimPanel, KeypadBlocksEchoTheirNumberAndCoverEightKeypads) {
    Bytes image(4864, 0);
    std::vector<Bytes> wires(2, Bytes(169, 0));
    for (std::size_t b = 0; b < 2; ++b) {
        wires[b][0] = static_cast<std::uint8_t>(b);
        for (std::size_t k = 0; k < 8; ++k)
            MakeKeypad(image, wires[b], 1 + 21 * k, 8 * b + k);
    }
    SimPanel panel;
    Load(panel, image);
    EXPECT_EQ(Request(panel, 16, {0}, 169), wires[0]);
    EXPECT_EQ(Request(panel, 16, {1}, 169), wires[1]);
    Bytes empty(169, 0);
    empty[0] = 2;
    EXPECT_EQ(Request(panel, 16, {2}, 169), empty);

    const Bytes before = NoiseImage(11);
    Load(panel, before);
    for (Bytes w : wires) {
        for (std::size_t k = 0; k < 8; ++k)
            w[1 + 21 * k] |= 0xFE, w[2 + 21 * k] = 0x77; // reserved
        Request(panel, 17, w, 0);
    }
    Request(panel, 17, Bytes(169, 0x33), 0); // block 51: beyond the keypads
    ExpectOnlyTouched(before, panel.ImageBytes(), image, Range(3944, 4280));
}

namespace {

std::chrono::steady_clock::time_point fakeNow{};
std::chrono::steady_clock::time_point FakeClock() {
    return fakeNow;
}

double DateTime(int y, int mo, int d, int h, int mi, int s) {
    return *vm415sim::ToDateTime({y, mo, d, h, mi, s});
}

} // namespace

TEST(SimPanel, ClockIsReadAndSetAndRunsOn) {
    SimPanel panel(FakeClock);
    panel.SetClock(DateTime(2024, 2, 29, 13, 45, 30));
    EXPECT_EQ(Request(panel, 5, {}, 5), (Bytes{13, 45, 29, 2, 24}));
    fakeNow += std::chrono::seconds(30);
    EXPECT_EQ(Request(panel, 5, {}, 5), (Bytes{13, 46, 29, 2, 24}));

    // The last minute of the century the panel's year byte can name; the seconds are not sent.
    Request(panel, 6, {23, 59, 31, 12, 99}, 0);
    EXPECT_DOUBLE_EQ(panel.ClockNow(), DateTime(2099, 12, 31, 23, 59, 0));
    fakeNow += std::chrono::seconds(61);
    EXPECT_EQ(Request(panel, 5, {}, 5), (Bytes{0, 0, 1, 1, 0})) << "2100 goes as year 00";

    // A date the panel cannot hold is not acknowledged, and the clock keeps its time.
    panel.SetClock(DateTime(2024, 5, 6, 7, 8, 0));
    const Bytes invalid[] = {{10, 5, 1, 13, 24}, {10, 5, 31, 4, 24}, {10, 5, 29, 2, 23},
                             {24, 0, 1, 1, 24},  {10, 60, 1, 1, 24}, {10, 5, 0, 1, 24}};
    for (const Bytes& d : invalid)
        EXPECT_FALSE(panel.Handle(Frame{6, d})) << int(d[0]) << " " << int(d[2]);
    EXPECT_DOUBLE_EQ(panel.ClockNow(), DateTime(2024, 5, 6, 7, 8, 0));
    // Year bytes are taken modulo 100, as they are sent.
    Request(panel, 6, {10, 5, 29, 2, 124}, 0);
    EXPECT_DOUBLE_EQ(panel.ClockNow(), DateTime(2024, 2, 29, 10, 5, 0));
}

TEST(SimPanel, WithoutProgrammingEnabledWritesAreRefusedAndReadsAnswered) {
    SimPanel panel;
    panel.SetProgramming(0);
    const Bytes before = panel.ImageBytes();
    const double clock = panel.ClockNow();
    const std::pair<std::uint8_t, std::size_t> writes[] = {{4, 216},  {6, 5},    {9, 0},    {11, 136},
                                                           {14, 241}, {17, 169}, {19, 196}, {21, 114}};
    for (auto [code, length] : writes) {
        Bytes data(length, 0x31);
        if (code == 6) data = {1, 2, 3, 4, 5};
        EXPECT_FALSE(panel.Handle(Frame{code, data})) << int(code);
    }
    EXPECT_EQ(panel.ImageBytes(), before);
    EXPECT_LT(std::abs(panel.ClockNow() - clock), 1.0 / 24) << "the clock was not set to 2005";
    for (std::uint8_t code : {1, 2, 3, 5, 7, 10, 18, 20, 22})
        EXPECT_TRUE(panel.Handle(Frame{code, {}})) << int(code);
}

TEST(SimPanel, FactoryImageHoldsTheDefaults) {
    SimPanel panel;
    const Bytes image = panel.ImageBytes();
    ASSERT_EQ(image.size(), 4864u);
    EXPECT_EQ(image[4], 164);
    EXPECT_EQ(image[5], 11);
    EXPECT_EQ(image[314], 1);
    EXPECT_EQ(image[335], 10);
    EXPECT_EQ(image[348], 'C');
    EXPECT_EQ(GetText(image, 453), "00000");
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(GetText(image, 4706 + 4 * i), "000");
        EXPECT_EQ(GetText(image, 4782 + 4 * i), "000");
    }
}
