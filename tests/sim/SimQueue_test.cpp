// The panel's event queue: ring pointers, the blocks and single events it answers, and ".cod" files.
#include "tools/sim/SimClock.h"
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimQueue.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace vm415sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

QueueEvent Event(std::uint8_t tipo, std::uint8_t descr, int y, int mo, int d, int h, int mi, int s) {
    QueueEvent e;
    e.Tipo = tipo;
    e.Descrittore = descr;
    e.DataOra = *ToDateTime({y, mo, d, h, mi, s});
    return e;
}

// n events with distinct types, descriptors and times.
std::vector<QueueEvent> Events(int n) {
    std::vector<QueueEvent> out;
    for (int i = 0; i < n; ++i)
        out.push_back(Event(static_cast<std::uint8_t>(1 + i), static_cast<std::uint8_t>(200 - i), 2024,
                            1 + i % 12, 1 + i % 28, i % 24, (7 * i) % 60, (13 * i) % 60));
    return out;
}

Bytes Wire(const QueueEvent& e) {
    const auto t = *FromDateTime(e.DataOra);
    return {e.Tipo,
            e.Descrittore,
            std::uint8_t(t.Hour),
            std::uint8_t(t.Minute),
            std::uint8_t(t.Second),
            std::uint8_t(t.Day),
            std::uint8_t(t.Month),
            std::uint8_t(t.Year % 100)};
}

// How the program turns the three pointer bytes into an event count.
int CountFromPointers(int start, int end, int size) {
    return end >= start ? (end - start) % 256 : (size - (start - end) % 256) % 256;
}

SimPanel& Loaded(SimPanel& panel, int size, int start, const std::vector<QueueEvent>& events) {
    EventQueue q;
    std::string error;
    EXPECT_TRUE(q.Resize(size, error)) << error;
    EXPECT_TRUE(q.Load(events, start, error)) << error;
    panel.SetQueue(q);
    return panel;
}

} // namespace

TEST(SimQueue, PointersWrapRoundTheRing) {
    SimPanel panel;
    // Ten events from place 60 of 64: places 60..63, then 0..5.
    Loaded(panel, 64, 60, Events(10));
    auto reply = panel.Handle({7, {}});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Data, (Bytes{60, 6, 64}));
    EXPECT_EQ(CountFromPointers(60, 6, 64), 10);

    // A full ring holds size - 1 events; one more overwrites the oldest.
    EventQueue q(4);
    for (const auto& e : Events(3))
        q.Push(e);
    EXPECT_EQ(q.Count(), 3);
    EXPECT_EQ(q.Start(), 0);
    EXPECT_EQ(q.End(), 3);
    q.Push(Events(4)[3]);
    EXPECT_EQ(q.Count(), 3);
    EXPECT_EQ(q.Start(), 1);
    EXPECT_EQ(q.End(), 0);
    EXPECT_EQ(q.At(0)->Tipo, 2);
    EXPECT_EQ(q.At(2)->Tipo, 4);
    EXPECT_FALSE(q.At(3));

    // Every place of a ring of 7 as the start, every count: pointers always agree with the count.
    for (int start = 0; start < 7; ++start)
        for (int n = 0; n < 7; ++n) {
            EventQueue r(7);
            std::string error;
            ASSERT_TRUE(r.Load(Events(n), start, error)) << error;
            EXPECT_EQ(CountFromPointers(r.Start(), r.End(), r.Size()), n) << start << " " << n;
            EXPECT_EQ(r.Events(), Events(n));
        }
}

TEST(SimQueue, LoadRefusesWhatDoesNotFitAndKeepsTheQueue) {
    EventQueue q(8);
    std::string error;
    ASSERT_TRUE(q.Load(Events(3), 2, error));
    EXPECT_FALSE(q.Load(Events(8), 0, error));
    EXPECT_NE(error.find("at most 7"), std::string::npos) << error;
    EXPECT_FALSE(q.Load(Events(1), 8, error));
    EXPECT_FALSE(q.Resize(1, error));
    EXPECT_FALSE(q.Resize(256, error));
    EXPECT_EQ(q.Events(), Events(3));
    EXPECT_EQ(q.Start(), 2);
}

TEST(SimQueue, EventBlocksFollowTheOldestAcrossTheWrap) {
    SimPanel panel;
    const auto events = Events(45);
    Loaded(panel, 64, 50, events); // wraps after 14 events
    for (std::uint8_t b = 0; b < 4; ++b) {
        const auto reply = panel.Handle({15, {b}});
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->Data.size(), 161u);
        EXPECT_EQ(reply->Data[0], b) << "block number echoed";
        for (int k = 0; k < 20; ++k) {
            const Bytes got(reply->Data.begin() + 1 + 8 * k, reply->Data.begin() + 9 + 8 * k);
            const int i = 20 * b + k;
            EXPECT_EQ(got, i < 45 ? Wire(events[i]) : Bytes(8, 0)) << "event " << i;
        }
    }
}

TEST(SimQueue, SingleEventAndClear) {
    SimPanel panel;
    const auto events = Events(5);
    Loaded(panel, 16, 14, events);
    auto reply = panel.Handle({8, {3}});
    ASSERT_TRUE(reply);
    Bytes expected{3};
    const Bytes w = Wire(events[3]);
    expected.insert(expected.end(), w.begin(), w.end());
    EXPECT_EQ(reply->Data, expected);
    reply = panel.Handle({8, {5}});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Data, (Bytes{5, 0, 0, 0, 0, 0, 0, 0, 0}));

    reply = panel.Handle({9, {}});
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->Data.empty());
    reply = panel.Handle({7, {}});
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Data, (Bytes{3, 3, 16})) << "cleared: the oldest catches up with the newest";
    // New events go on from where the panel was writing.
    panel.AddEvent(events[0]);
    EXPECT_EQ(panel.Handle({7, {}})->Data, (Bytes{3, 4, 16}));
}

TEST(SimQueue, EventDatesTravelAsTheirSixBytes) {
    // 29/02 of a leap year, a time whose double is not exact, and the zero that marks "no date".
    EXPECT_EQ(WireEvent(Event(7, 5, 2024, 2, 29, 10, 5, 0)),
              (std::array<std::uint8_t, 8>{7, 5, 10, 5, 0, 29, 2, 24}));
    EXPECT_EQ(WireEvent(Event(1, 2, 2031, 12, 31, 23, 59, 59)),
              (std::array<std::uint8_t, 8>{1, 2, 23, 59, 59, 31, 12, 31}));
    QueueEvent undated;
    undated.Tipo = 101;
    undated.Descrittore = 203;
    EXPECT_EQ(WireEvent(undated), (std::array<std::uint8_t, 8>{101, 203, 0, 0, 0, 0, 0, 0}));
    undated.DataOra = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(WireEvent(undated), (std::array<std::uint8_t, 8>{101, 203, 0, 0, 0, 0, 0, 0}));
}

TEST(SimQueue, CodFilesLoadWholeRecordsOnly) {
    testing_support::TempFolder folder;
    auto events = Events(3);
    events[1].Alignment = {1, 2, 3, 4, 5, 6};
    const Bytes file = FormatCodFile(events);
    ASSERT_EQ(file.size(), 48u);
    // Byte for byte: type, descriptor, alignment, little-endian double.
    EXPECT_EQ(file[16], events[1].Tipo);
    EXPECT_EQ(file[17], events[1].Descrittore);
    EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 24), (Bytes{1, 2, 3, 4, 5, 6}));
    double d;
    std::memcpy(&d, file.data() + 24, 8);
    EXPECT_EQ(d, events[1].DataOra);

    std::vector<QueueEvent> parsed;
    std::string error;
    ASSERT_TRUE(ParseCodFile(file, parsed, error)) << error;
    EXPECT_EQ(parsed, events);
    ASSERT_TRUE(ParseCodFile({}, parsed, error));
    EXPECT_TRUE(parsed.empty());

    folder.Write("q.cod", file);
    SimPanel panel;
    ASSERT_TRUE(panel.LoadEventsFile(folder.File("q.cod"), 62, error)) << error;
    EXPECT_EQ(panel.Queue().Events(), events);
    EXPECT_EQ(panel.Handle({7, {}})->Data, (Bytes{62, 1, 64}));

    // A cut file, a missing file and one too many events leave the queue as it was.
    Bytes cut = file;
    cut.resize(40);
    folder.Write("cut.cod", cut);
    EXPECT_FALSE(panel.LoadEventsFile(folder.File("cut.cod"), 0, error));
    EXPECT_NE(error.find("cut.cod"), std::string::npos) << error;
    EXPECT_FALSE(panel.LoadEventsFile(folder.File("missing.cod"), 0, error));
    folder.Write("big.cod", FormatCodFile(Events(64)));
    EXPECT_FALSE(panel.LoadEventsFile(folder.File("big.cod"), 0, error));
    EXPECT_EQ(panel.Queue().Events(), events);
}

TEST(SimImageFile, LoadSaveRoundTripAndBadFiles) {
    testing_support::TempFolder folder;
    Bytes image(4864);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
    folder.Write("in.415", image);

    SimPanel panel;
    std::string error;
    ASSERT_TRUE(panel.LoadImageFile(folder.File("in.415"), error)) << error;
    EXPECT_EQ(panel.ImageBytes(), image);
    ASSERT_TRUE(panel.SaveImageFile(folder.File("out.415"), error)) << error;
    EXPECT_EQ(folder.Read("out.415"), image);

    const Bytes factory = SimPanel().ImageBytes();
    SimPanel other;
    folder.Write("short.415", Bytes(4863, 1));
    folder.Write("long.415", Bytes(4865, 1));
    for (const char* bad : {"short.415", "long.415", "missing.415"}) {
        EXPECT_FALSE(other.LoadImageFile(folder.File(bad), error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
        EXPECT_EQ(other.ImageBytes(), factory) << bad;
    }
    // A save that cannot be made says so and leaves the old file whole.
    EXPECT_FALSE(panel.SaveImageFile(folder.File("no/such/folder/x.415"), error));
    EXPECT_FALSE(error.empty());
}
