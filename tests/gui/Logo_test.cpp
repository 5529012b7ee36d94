#include "platform/gui/JpegDecoder.h"
#include "platform/gui/qt/LogoImage.h"
#include "support/TempFolder.h"

#include <QBuffer>
#include <QImage>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

using namespace platform::gui;
using testing_support::TempFolder;

namespace {

const std::string kLogo = std::string(VM415_SOURCE_DIR) + "/data/logo.jpg";
// Small pictures made with ImageMagick: a 16 x 8 grey gradient, an 8 x 8 cyan CMYK file (Adobe
// marker), a 24 x 16 progressive file and an 8193 x 1 white line.
const std::string kData = std::string(VM415_SOURCE_DIR) + "/tests/gui/data/";

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void ExpectColour(const QImage& image, int x, int y, QColor expected, const char* what) {
    const QColor c = image.pixelColor(x, y);
    constexpr int kTolerance = 24; // JPEG blurs colours near edges and subsamples chroma
    EXPECT_NEAR(c.red(), expected.red(), kTolerance) << what;
    EXPECT_NEAR(c.green(), expected.green(), kTolerance) << what;
    EXPECT_NEAR(c.blue(), expected.blue(), kTolerance) << what;
}

// Decodes a file through the Qt wrapper and checks that nothing was printed on the way.
QImage LoadQuietly(const std::string& path) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    QImage image = LoadJpegImage(path);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(err, "") << path;
    EXPECT_EQ(out, "") << path;
    return image;
}

} // namespace

TEST(Logo, ShippedLogoDecodesWithItsColours) {
    const QImage image = LoadQuietly(kLogo);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 320);
    EXPECT_EQ(image.height(), 120);
    ExpectColour(image, 5, 5, QColor(255, 255, 255), "background");
    ExpectColour(image, 30, 60, QColor(20, 50, 140), "emblem ring");
    ExpectColour(image, 60, 62, QColor(220, 30, 30), "emblem centre");
    ExpectColour(image, 200, 92, QColor(220, 30, 30), "underline");

    // The core gives the same pixels as bytes.
    const RgbImage rgb = DecodeJpegFile(kLogo);
    ASSERT_EQ(rgb.Pixels.size(), std::size_t(320 * 120 * 3));
    const std::size_t at = (std::size_t(62) * 320 + 60) * 3;
    EXPECT_EQ(QColor(rgb.Pixels[at], rgb.Pixels[at + 1], rgb.Pixels[at + 2]), image.pixelColor(60, 62));
}

TEST(Logo, LoadLogoLooksInTheProgramFolderOnly) {
    TempFolder folder;
    testing_support::ProgramFolderScope scope(folder.Path());
    EXPECT_TRUE(LoadLogo().isNull()); // no logo.jpg there: no picture, no error
    folder.Write("logo.jpg", ReadAll(kLogo));
    const QImage logo = LoadLogo();
    EXPECT_EQ(logo.size(), QSize(320, 120));
}

TEST(Logo, OtherColourModelsAndProgressiveFiles) {
    const QImage gray = LoadQuietly(kData + "gray.jpg");
    ASSERT_EQ(gray.size(), QSize(16, 8));
    for (int x : {0, 8, 15}) {
        const QColor c = gray.pixelColor(x, 4);
        EXPECT_EQ(c.red(), c.green());
        EXPECT_EQ(c.green(), c.blue());
    }
    EXPECT_LT(gray.pixelColor(0, 0).red(), 40); // the gradient runs from black at the top
    EXPECT_GT(gray.pixelColor(0, 7).red(), 215);

    const QImage cmyk = LoadQuietly(kData + "cmyk.jpg"); // plain cyan
    ASSERT_EQ(cmyk.size(), QSize(8, 8));
    ExpectColour(cmyk, 4, 4, QColor(0, 255, 255), "cyan");

    const QImage progressive = LoadQuietly(kData + "progressive.jpg");
    EXPECT_EQ(progressive.size(), QSize(24, 16));
}

TEST(Logo, DamagedOrForeignFilesGiveNoPictureAndNoMessage) {
    TempFolder folder;
    const std::vector<std::uint8_t> logo = ReadAll(kLogo);
    ASSERT_GT(logo.size(), 1000u);

    folder.Write("half.jpg", std::vector<std::uint8_t>(logo.begin(), logo.begin() + logo.size() / 2));
    // Only the end-of-image marker missing: libjpeg would fill in and warn; we refuse.
    folder.Write("no_eoi.jpg", std::vector<std::uint8_t>(logo.begin(), logo.end() - 2));
    folder.Write("header_only.jpg", std::vector<std::uint8_t>(logo.begin(), logo.begin() + 200));
    folder.Write("empty.jpg", std::vector<std::uint8_t>());
    std::mt19937 random(415);
    std::vector<std::uint8_t> noise(4096);
    for (auto& b : noise)
        b = std::uint8_t(random());
    folder.Write("noise.jpg", noise);
    std::vector<std::uint8_t> soi_noise = noise;
    soi_noise[0] = 0xFF, soi_noise[1] = 0xD8, soi_noise[2] = 0xFF, soi_noise[3] = 0xE0;
    folder.Write("soi_noise.jpg", soi_noise);
    QImage png(32, 32, QImage::Format_RGB32);
    png.fill(Qt::green);
    ASSERT_TRUE(png.save(QString::fromStdString(folder.File("png.jpg")), "PNG"));

    for (const char* name : {"half.jpg", "no_eoi.jpg", "header_only.jpg", "empty.jpg", "noise.jpg",
                             "soi_noise.jpg", "png.jpg"}) {
        EXPECT_TRUE(LoadQuietly(folder.File(name)).isNull()) << name;
        EXPECT_TRUE(DecodeJpegFile(folder.File(name)).IsNull()) << name;
    }
    EXPECT_TRUE(LoadQuietly(folder.File("missing.jpg")).isNull());
    // A folder in a picture's place is no picture either, and is worth one line on the log.
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadJpegImage(folder.File("")).isNull());
    EXPECT_TRUE(LoadJpegImage(folder.File("")).isNull());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vm415: JpegDecoder: " + folder.Path() +
                  ": cannot be read (Is a directory): no picture is shown\n");
    EXPECT_TRUE(DecodeJpeg(nullptr, 0).IsNull());
}

TEST(Logo, CorruptedEntropyDataNeverCrashes) {
    // Damage inside the compressed data may or may not be detected by libjpeg; either way the
    // result is a whole picture or none.
    const std::vector<std::uint8_t> logo = ReadAll(kLogo);
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::uint8_t> bytes = logo;
        for (int k = 0; k < 8; ++k)
            bytes[700 + random() % (bytes.size() - 700)] ^= std::uint8_t(1 + random() % 255);
        const RgbImage image = DecodeJpeg(bytes.data(), bytes.size());
        if (!image.IsNull()) {
            EXPECT_EQ(image.Pixels.size(), std::size_t(image.Width) * image.Height * 3);
        }
    }
}

TEST(Logo, PicturesBeyondTheSizeLimitAreRefused) {
    // A real 8193 x 1 picture: small file, but wider than any logo may be.
    EXPECT_TRUE(LoadQuietly(kData + "too_wide.jpg").isNull());
}
