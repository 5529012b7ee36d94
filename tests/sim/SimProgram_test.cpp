// The vm415-sim program as scripts use it: options, the path it prints, the link file, a stop by
// signal, and the image written on the way out.
#include "config/FileConfig.h"
#include "sim/SimProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using Bytes = std::vector<std::uint8_t>;

namespace {

using Program = sim_test::SimProcess;

Bytes Exchange(int fd, const Bytes& request, std::size_t replyBytes) {
    EXPECT_EQ(::write(fd, request.data(), request.size()), ssize_t(request.size()));
    Bytes got;
    pollfd p{fd, POLLIN, 0};
    while (got.size() < replyBytes && ::poll(&p, 1, 5000) > 0) {
        std::uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

} // namespace

TEST(SimProgram, ServesOnAPtyAndSavesTheImageWhenStopped) {
    testing_support::TempFolder folder;
    Bytes image(4864, 0);
    image[4] = 164, image[5] = 11;
    image[3944 + 21 * 4 + 17] = 0; // keypad 4 not yet allowed to signal
    folder.Write("start.415", image);
    Program sim({"--image", folder.File("start.415"), "--save-on-exit", folder.File("end.415"), "--link-file",
                 folder.File("line"), "--model", "170", "--programming", "1", "--clock", "2030-06-15 08:30"});
    ASSERT_TRUE(sim.Started());
    const std::string line = sim.Line();
    const std::string prefix = "vm415-sim: listening on ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const std::string path = line.substr(prefix.size());
    const Bytes link = folder.Read("line");
    EXPECT_EQ(std::string(link.begin(), link.end()), path + "\n");

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << path;
    // Identification with the model asked for; 170 = AAh.
    EXPECT_EQ(Exchange(fd, {0x03, 0x02, 0x01, 0x01, 0xFC, 0x03, 0x03}, 10),
              (Bytes{0x03, 0x02, 0x04, 0x01, 0xAA, 0x0B, 0x01, 0x43, 0x03, 0x03}));
    // The clock as set: 08:30 on 15/06/30 (command 5, stuffing-free reply).
    EXPECT_EQ(Exchange(fd, {0x03, 0x02, 0x01, 0x05, 0xF8, 0x03, 0x03}, 12),
              (Bytes{0x03, 0x02, 0x06, 0x05, 0x08, 0x1E, 0x0F, 0x06, 0x1E, 0x9A, 0x03, 0x03}));
    // Keypad block 0 with keypad 4 allowed to signal: 169 data bytes, block number 0 and one flag
    // byte 01h, none of which needs stuffing; the length AAh and command 11h neither.
    Bytes request{0x03, 0x02, 0xAA, 0x11, 0x00};
    Bytes data(168, 0);
    data[21 * 4] = 0x01;
    request.insert(request.end(), data.begin(), data.end());
    unsigned sum = 0x02 + 0xAA + 0x11 + 0x01;
    request.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    request.insert(request.end(), {0x03, 0x03});
    // The acknowledgement: command 17 = 11h, no data.
    EXPECT_EQ(Exchange(fd, request, 7), (Bytes{0x03, 0x02, 0x01, 0x11, 0xEC, 0x03, 0x03}));
    ::close(fd);

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0) << sim.Errors();
    Bytes expected = image;
    expected[3944 + 21 * 4 + 17] = 1;
    EXPECT_EQ(folder.Read("end.415"), expected);
    EXPECT_FALSE(folder.Exists("line")) << "a stale path must not outlive the panel";
}

TEST(SimProgram, BadCommandLinesAndFilesAreRefusedClearly) {
    testing_support::TempFolder folder;
    folder.Write("short.415", Bytes(100, 0));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"--model", "256"}, 2, "--model"},
        {{"--drop-rate", "1.5"}, 2, "--drop-rate"},
        {{"--clock", "2023-02-29 10:00"}, 2, "--clock"},
        {{"--queue-size", "10", "--queue-start", "10"}, 2, "--queue-start"},
        {{"--image"}, 2, "needs a value"},
        {{"--image", folder.File("short.415")}, 1, "short.415"},
        {{"--events", folder.File("none.cod")}, 1, "none.cod"},
        {{"--device", folder.File("no-device")}, 1, "no-device"},
    };
    for (const Case& c : cases) {
        Program sim(c.args);
        ASSERT_TRUE(sim.Started());
        EXPECT_EQ(sim.Wait(), c.status) << c.args[0];
        EXPECT_NE(sim.Errors().find(c.says), std::string::npos) << c.args[0];
    }
    Program help({"--help"});
    EXPECT_EQ(help.Line().rfind("Usage: vm415-sim", 0), 0u);
    EXPECT_EQ(help.Wait(), 0);
}

// The example panel the README starts scripts/run with: a configuration the program reads and a
// queue the simulated panel serves.
TEST(SimProgram, TheReadmesExamplePanelStarts) {
    const std::string esempi = std::string(VM415_SOURCE_DIR) + "/tools/sim/esempi/";
    TConfigCentrale c;
    ASSERT_TRUE(LeggiFile415(esempi + "centrale.415", c));
    EXPECT_EQ(c.Zone[PrimaZonaRadio].Descrizione.Leggi(), "Porta ingresso");
    Program sim({"--image", esempi + "centrale.415", "--events", esempi + "eventi.cod"});
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.Line().rfind("vm415-sim: listening on ", 0), 0u);
}
